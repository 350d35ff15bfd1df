/* A kiosk application written in C: the header compiles as C and the library links. */
#include <stddef.h>

#include "kqCR80Printer.h"

int main(void) {
    kqCR80_Pram* printer = NULL;
    char pixels[16] = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    char packed[4];
    int length = 0;
    if (kq_ecp_open("A1", &printer) != KQ_ECP_NO_DRIVER) return 1;
    if (WB2Bin(pixels, 0, 16, 1, packed, &length) != 0 || length != 4) return 2;
    if ((unsigned char)packed[0] != 0xAA || kq_ecp_close() != 0) return 3;
    return 0;
}
