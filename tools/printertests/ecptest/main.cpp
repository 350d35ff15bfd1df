#include <cstdio>

#include "EcpConsole.h"

int main() {
    return ecptool::runConsole(stdin, stdout);
}
