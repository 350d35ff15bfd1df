#include "ErrorText.h"

#include <map>

#include "KQCR80Printer.h"

namespace kqcr80 {

std::string errorText(int code) {
    static const std::map<int, std::string> texts = {
        {KQCR80_OK, "成功"},
        {KQCR80_NO_CANVAS, "未就绪：没有准备画布"},
        {KQCR80_BAD_LENGTH, "长度不正确"},
        {KQCR80_NOT_SUPPORTED, "功能不支持"},
        {KQCR80_DRAW_FAILED, "错误：绘图失败"},
        {KQCR80_BAD_ARGUMENT, "无效参数"},
        {-1, "USB无法启动或没有打印机"},
        {36, "打印机列表太长"},
        {225, "打印机拒绝命令"},
        {227, "序号错误"},
        {230, "打印机无应答"},
        {232, "命令无法发送"},
        {233, "应答格式错误"},
        {255, "打印机报告失败"},
        {601, "没有该序列号的打印机"},
        {1634, "尚未枚举打印机"},
        {0x2000001, "参数超出范围"},
        {0x3000001, "内存不足"},
    };
    const auto it = texts.find(code);
    return it == texts.end() ? "未知错误代码" : it->second;
}

}  // namespace kqcr80
