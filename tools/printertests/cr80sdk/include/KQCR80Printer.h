/* KQCR80Printer: the CR80 printer SDK of the rewritable card printer. It lays out a
 * card picture on a canvas (through libcardpaint) and prints it on the printer
 * (through libkqCR80Printer).
 *
 * Every function returns an int: 0 on success, otherwise one of the codes below or a
 * code of the printer driver (601 unknown serial number, 1634 printers not enumerated
 * yet, 225/227/230/232/233/255 link failures, 0x2000001 argument out of range).
 * libCR80TranslateSDKErrCode turns any of them into a text.
 *
 * A printer is named by its serial number `sn`, as listed by libCR80EnumUsbPrt, which
 * must have been called first. Each printer has at most one canvas: 1016 x 648 pixels
 * (a CR80 card at 300 dpi), coordinates in pixels from the top left corner.
 *
 * Functions that have no meaning for a rewritable printer (ribbons, film, TCP
 * printers, M1 card sectors, watermarks, ...) do nothing and return
 * KQCR80_NOT_SUPPORTED; they read none of their arguments.
 *
 * Calls are serialised inside the library; no C++ exception leaves it. */
#ifndef KQCR80PRINTER_SDK_H
#define KQCR80PRINTER_SDK_H

#ifdef __cplusplus
extern "C" {
#endif

/* The library is built with hidden visibility; these functions are its interface. */
#define KQCR80_API __attribute__((visibility("default")))

#define KQCR80_OK 0
#define KQCR80_NO_CANVAS 21       /* no canvas prepared for this printer */
#define KQCR80_BAD_LENGTH 24      /* buffer too small, or print data that are no picture */
#define KQCR80_NOT_SUPPORTED 1003 /* the function has no meaning for this printer */
#define KQCR80_DRAW_FAILED 2190   /* the drawing library refused (unreadable picture, ...) */
#define KQCR80_BAD_ARGUMENT 10022 /* a null pointer or a value out of range */

#define KQCR80_CANVAS_WIDTH 1016
#define KQCR80_CANVAS_HEIGHT 648
#define KQCR80_LIST_CAPACITY 5120 /* list buffer size assumed when *length is 0 */
#define KQCR80_TEXT_CAPACITY 256  /* size a text buffer without capacity must have */
#define KQCR80_PATH_CAPACITY 1024 /* size of the preview path buffer */

/* Library and printers. */
KQCR80_API int libCR80LibInit(void);
/* Releases every canvas and closes the printers' USB ports. */
KQCR80_API int libCR80LibClear(void);
/* Serial numbers separated by "\n", NUL-terminated. *length: capacity of list on entry
 * (KQCR80_LIST_CAPACITY when 0), text length on return. No printer: count 0, result 0. */
KQCR80_API int libCR80EnumUsbPrt(char* list, int* length, int* count);
KQCR80_API int libCR80UsbSetTimeout(const char* sn, int milliseconds);
KQCR80_API int libCR80EnumTcpPrt(char* list, int* length, int* count);
KQCR80_API int libCR80TcpSetTimeout(const char* sn, int milliseconds);
/* 0 when sn names an enumerated printer. */
KQCR80_API int libCR80SelectPrt(const char* sn);
KQCR80_API int libCR80PrtReset(const char* sn);
KQCR80_API int libCR80PrtRestart(const char* sn);
/* *hasCard: 1 when a card is in the printer, else 0. The state is read from the printer
 * the first time and then followed through libCR80CardInject and libCR80CardEject. */
KQCR80_API int libCR80IsFeederNoEmpty(const char* sn, int* hasCard);
KQCR80_API int libCR80GetPrtManufInfo(const char* sn, char* text, int capacity);
/* The printer's information document (compact JSON). */
KQCR80_API int libCR80GetPrtInfo(const char* sn, char* json, int capacity);
KQCR80_API int libCR80QueryPrtStatus(const char* sn, int* status);
KQCR80_API int libCR80QueryPrtStatusEx(const char* sn, char* text, int capacity);
/* A text for the operator (UTF-8, KQCR80_TEXT_CAPACITY bytes): no ribbon or film, the
 * remaining print count and the cards printed. */
KQCR80_API int libCR80GetRbnAndFilmRemaining(const char* sn, char* text);
/* The message of any code this library returns, cut to capacity. */
KQCR80_API int libCR80TranslateSDKErrCode(int code, char* text, int capacity);
KQCR80_API int libCR80TranslatePrtCode(const char* sn, int code, char* text, int capacity);
KQCR80_API int libCR80GetSN(const char* sn, char* text, int capacity);
KQCR80_API int libCR80RibbonSettingsRW(const char* sn, int write, char* settings, int capacity);
KQCR80_API int libCR80CardSettingsRW(const char* sn, int write, char* settings, int capacity);
KQCR80_API int libCR80EthernetSetup(const char* sn, const char* settings);

/* Canvas. */
KQCR80_API int libCR80SetCanvasPortrait(const char* sn, int portrait);
/* A new white canvas (replacing an earlier one); colorOutput and monochrome as in
 * cardpaint. The erase rectangle and the rotation start as the whole card and 0. */
KQCR80_API int libCR80PrepareCanvas(const char* sn, int colorOutput, int monochrome);
KQCR80_API int libCR80ClearCanvas(const char* sn);
KQCR80_API int libCR80SetImgSharpness(const char* sn, int sharpness);
/* Print data (a BMP picture of the canvas). data null: *size receives the size needed.
 * Otherwise *size is the capacity of data; too small gives KQCR80_BAD_LENGTH and the
 * size needed. */
KQCR80_API int libCR80CommitCanvas(const char* sn, void* data, int* size);
KQCR80_API int libCR80SetCoatRgn(const char* sn, double x, double y, double w, double h);
KQCR80_API int libCR80SetYmcRgn(const char* sn, double x, double y, double w, double h);
KQCR80_API int libCR80SetKRgn(const char* sn, double x, double y, double w, double h);
KQCR80_API int libCR80SetHalfRibbonOffset(const char* sn, double offset);
KQCR80_API int libCR80SetCodeColor(const char* sn, int r, int g, int b);
KQCR80_API int libCR80SetBarCodePara(const char* sn, int type, int param, int degrees);
KQCR80_API int libCR80SetQRCodePara(const char* sn, int param);
/* A font file (or a font name without "/"). A font file that does not exist is
 * replaced by a CJK font found through fontconfig, reported once on stderr. */
KQCR80_API int libCR80SetFont(const char* sn, const char* font, float size);
KQCR80_API int libCR80SetTextColor(const char* sn, int r, int g, int b);
KQCR80_API int libCR80SetTextIsStrong(const char* sn, int bold);
KQCR80_API int libCR80SetTextFontWeight(const char* sn, int weight);
KQCR80_API int libCR80SetTextIsItalic(const char* sn, int italic);
KQCR80_API int libCR80SetTextIsUnderline(const char* sn, int underline);
KQCR80_API int libCR80SetTextDecorate(const char* sn, int a, int b, int c, int d);
KQCR80_API int libCR80SetTextSpacing(const char* sn, double lineSpacing, double kerning);
KQCR80_API int libCR80SetTextRotation(const char* sn, int degrees);
KQCR80_API int libCR80SetImagePara(const char* sn, int param, int degrees, float scale);
KQCR80_API int libCR80SetWaterMarkParam(const char* sn, int type, int param);
KQCR80_API int libCR80SetWaterMarkHalftone(const char* sn, int method);
KQCR80_API int libCR80SetHalftoneMethod(const char* sn, int method);
KQCR80_API int libCR80DrawBarCode(const char* sn, const char* text, double x, double y, double w,
                                  double h);
/* QR code and picture fitted into the w x h box at (x, y). */
KQCR80_API int libCR80DrawQRCode(const char* sn, const char* text, double x, double y, double w,
                                 double h);
KQCR80_API int libCR80DrawImage(const char* sn, const char* path, double x, double y, double w,
                                double h);
/* UTF-8 text with its baseline origin at (x, y); flags, w and h are not used. */
KQCR80_API int libCR80DrawText(const char* sn, const char* text, int flags, double x, double y,
                               double w, double h);
KQCR80_API int libCR80DrawWaterMark(const char* sn, const char* path, double x, double y, double w,
                                    double h);
/* Erases the erase rectangle and prints the print data of libCR80CommitCanvas, scaled
 * onto the printer's 80 x 57 mm print area. a and b are not used. */
KQCR80_API int libCR80PrintDraw(const char* sn, const void* data, int size, int a, int b);
/* Writes the picture last committed on this printer's canvas as a BMP file: to the
 * name in path, or, when path is empty, to "KQCR80_preview_<sn>.bmp" in the working
 * directory. path (KQCR80_PATH_CAPACITY bytes) receives the name, *length its length. */
KQCR80_API int libCR80GetPreviewImg(const char* sn, const void* data, char* path, int* length);

/* Card movement. */
KQCR80_API int libCR80CardInject(const char* sn, int mode); /* mode 0 or 1 */
KQCR80_API int libCR80CardMove(const char* sn, int position);
/* The printer has one exit; position is not used. */
KQCR80_API int libCR80CardEject(const char* sn, int position);
/* *position: 1 when a card is in the printer, else 0 (see libCR80IsFeederNoEmpty). */
KQCR80_API int libCR80GetCardPos(const char* sn, int* position);
KQCR80_API int libCR80GetCardType(const char* sn, int* type);
KQCR80_API int libCR80M1CardGetSN(const char* sn, char* text, int capacity);
KQCR80_API int libCR80M1CardPwdAuth(const char* sn, int sector, int keyType, const char* key);
KQCR80_API int libCR80M1CardRead(const char* sn, int block, char* data, int capacity);
KQCR80_API int libCR80M1CardWrite(const char* sn, int block, const char* data, int length);
KQCR80_API int libCR80CardRecycling(const char* sn);
KQCR80_API int libCR80CardInjectStop(const char* sn);
KQCR80_API int libCR80CardInjectPlus(const char* sn, int mode, int timeoutMs);
KQCR80_API int libCR80CardEjectHoldingSettingsRW(const char* sn, int write, int* seconds);
KQCR80_API int libCR80PreCardInject(const char* sn, int mode);
KQCR80_API int libCR80PrePrintDraw(const char* sn, const void* data, int size);
/* Output rotation (0 or 180 degrees) for the next commit; param, flip, negate and scale
 * as in cardpaint. The erase rectangle turns with the picture. */
KQCR80_API int libCR80SetPreviewImg(const char* sn, int param, int degrees, int flip, int negate,
                                    float scale);
/* Erase rectangle in canvas pixels for the next print; the whole card until set. */
KQCR80_API int libCR80SetEraseRect(const char* sn, double x, double y, double w, double h);

#ifdef __cplusplus
}
#endif

#endif
