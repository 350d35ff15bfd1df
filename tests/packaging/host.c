/* A kiosk application built against the installed development package: one
 * heart_beat through libdevsdk, and one call into each of the other libraries. */
#include <stdio.h>

#include "cardpaint.h"
#include "devsdk.h"
#include "kqCR80Printer.h"

static char out[1 << 16];

int main(void) {
    lib_dev* sdk = NULL;
    if (lib_init_sdk(&sdk) != 0) return 1;
    int code = lib_call_method(sdk, false, "{\"funccode\":\"heart_beat\"}", out);
    lib_release_sdk(sdk);
    printf("%s\n", out);
    /* No canvas, no printer opened: both libraries answer without hardware. */
    int canvas = DrawClearCanvas(NULL);
    int closed = kq_ecp_close();
    printf("heart_beat %d canvas %d close %d\n", code, canvas, closed);
    return code;
}
