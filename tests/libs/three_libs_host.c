/* A kiosk application that loads the device SDK, the printer driver and the drawing
   library into one process with RTLD_GLOBAL, in the order given on the command line,
   then moves a card through the SDK and prints a card drawn with cardpaint through the
   printer driver. Run under kiosk-sim with a flipping board (card at the slot) and a
   printer. Exit status 0 when both work; otherwise a number naming the failed step. */
#include <dlfcn.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cardpaint.h"
#include "devsdk.h"
#include "kqCR80Printer.h"

static void* libs[3];

static void* load(const char* path) {
    void* h = dlopen(path, RTLD_NOW | RTLD_GLOBAL);
    if (!h) fprintf(stderr, "dlopen %s: %s\n", path, dlerror());
    return h;
}

static void* sym(const char* name) {
    for (int i = 0; i < 3; ++i) {
        void* f = libs[i] ? dlsym(libs[i], name) : NULL;
        if (f) return f;
    }
    fprintf(stderr, "no symbol %s\n", name);
    exit(90);
}

#define FN(type, name) type name##_ = (type)sym(#name)

/* Opens the flipping board, sends its card to station 2 (the card reader) and prints
   the state document, which the test reads. */
static int moveCard(void) {
    typedef int (*init_t)(lib_dev**);
    typedef int (*call_t)(lib_dev*, bool, const char*, char*);
    typedef int (*release_t)(lib_dev*);
    FN(init_t, lib_init_sdk);
    FN(call_t, lib_call_method);
    FN(release_t, lib_release_sdk);
    static char out[1 << 20];
    lib_dev* sdk = NULL;
    if (lib_init_sdk_(&sdk) != 0) return 10;
    const char* open =
        "{\"funccode\":\"open_dev\",\"object_name\":\"KQUSBDevice\",\"device_type\":9}";
    if (lib_call_method_(sdk, false, open, out) != 0) return 11;
    const char* move =
        "{\"funccode\":\"send_to_parts\",\"object_name\":\"KQUSBDevice\",\"device_type\":9,"
        "\"conditions\":{\"target_id\":2}}";
    if (lib_call_method_(sdk, false, move, out) != 0) {
        fprintf(stderr, "send_to_parts: %s\n", out);
        return 12;
    }
    const char* state =
        "{\"funccode\":\"get_dev_state\",\"object_name\":\"KQUSBDevice\",\"device_type\":9}";
    if (lib_call_method_(sdk, false, state, out) != 0) return 13;
    printf("state: %s\n", out);
    if (!strstr(out, "{\"part_has\":true,\"part_id\":2,")) return 14;
    lib_release_sdk_(sdk);
    return 0;
}

/* A 672 x 944 monochrome card picture from cardpaint, as the printer's 1-bit raster. */
static int drawCard(char* raster) {
    typedef int (*prepare_t)(DrawContext**, int, int, double, double);
    typedef int (*font_t)(DrawContext*, const char*, float);
    typedef int (*text_t)(DrawContext*, const char*, double, double);
    typedef int (*qr_t)(DrawContext*, const char*, double, double, double, double);
    typedef int (*commit_t)(DrawContext*, void*, int*);
    typedef int (*clear_t)(DrawContext*);
    FN(prepare_t, DrawPrepareCanvas);
    FN(font_t, DrawDrawSetFont);
    FN(text_t, DrawDrawText);
    FN(qr_t, DrawDrawQRCode);
    FN(commit_t, DrawCommitCanvas);
    FN(clear_t, DrawClearCanvas);
    DrawContext* canvas = NULL;
    if (DrawPrepareCanvas_(&canvas, 0, 1, 672, 944) != 0) return 20;
    DrawDrawSetFont_(canvas, HOST_FONT, 40);
    if (DrawDrawText_(canvas, "KIOSK 0001", 60, 120) != 0) return 21;
    if (DrawDrawQRCode_(canvas, "card-0001", 200, 400, 260, 260) != 0) return 22;
    int length = 0;
    DrawCommitCanvas_(canvas, NULL, &length);
    if (length <= 62) return 23;
    unsigned char* bmp = malloc((size_t)length);
    if (DrawCommitCanvas_(canvas, bmp, &length) != 0) return 24;
    DrawClearCanvas_(canvas);
    /* 1-bit BMP: rows bottom-up, each padded to 4 bytes; palette index 0 is black. */
    const unsigned offset = bmp[10] | bmp[11] << 8 | bmp[12] << 16 | (unsigned)bmp[13] << 24;
    const int width = bmp[18] | bmp[19] << 8, height = bmp[22] | bmp[23] << 8;
    const int stride = ((width + 31) / 32) * 4;
    if (width != 672 || height != 944 || offset + (unsigned)(stride * height) > (unsigned)length) {
        free(bmp);
        return 25;
    }
    const int blackIsZero = bmp[54] == 0 && bmp[55] == 0 && bmp[56] == 0;
    int ink = 0;
    for (int row = 0; row < height; ++row) {
        const unsigned char* src = bmp + offset + (size_t)(height - 1 - row) * stride;
        for (int b = 0; b < 84; ++b) {
            const unsigned char v = blackIsZero ? (unsigned char)~src[b] : src[b];
            raster[row * 84 + b] = (char)v;
            ink += v != 0;
        }
    }
    free(bmp);
    return ink > 0 ? 0 : 26;
}

static int printCard(void) {
    typedef int (*enum_t)(char*, unsigned int*, int*);
    typedef int (*open_t)(const char*, kqCR80_Pram**);
    typedef int (*card_t)(kqCR80_Pram*);
    typedef int (*accept_t)(kqCR80_Pram*, int);
    typedef int (*print_t)(kqCR80_Pram*, char*, int, int, int);
    FN(enum_t, kq_ecp_enum);
    FN(open_t, kq_ecp_open);
    FN(accept_t, kq_ecp_accept);
    FN(card_t, kq_ecp_erase);
    FN(print_t, kq_ecp_print);
    FN(card_t, kq_ecp_eject);
    char list[1024] = {0};
    unsigned int length = sizeof list;
    int count = 0;
    if (kq_ecp_enum_(list, &length, &count) != 0 || count != 1) return 30;
    char* end = strpbrk(list, ",;\n");
    if (end) *end = '\0';
    kqCR80_Pram* printer = NULL;
    if (kq_ecp_open_(list, &printer) != 0) return 31;
    if (kq_ecp_accept_(printer, 0) != 0) return 32;
    if (kq_ecp_erase_(printer) != 0) return 33;
    static char raster[KQ_ECP_IMAGE_BYTES];
    const int drawn = drawCard(raster);
    if (drawn != 0) return drawn;
    if (kq_ecp_print_(printer, raster, KQ_ECP_IMAGE_BYTES, 944, 672) != 0) return 34;
    if (kq_ecp_eject_(printer) != 0) return 35;
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s LIB LIB LIB\n", argv[0]);
        return 2;
    }
    for (int i = 0; i < 3; ++i) {
        libs[i] = load(argv[1 + i]);
        if (!libs[i]) return 3;
    }
    int rc = moveCard();
    if (rc != 0) return rc;
    rc = printCard();
    if (rc != 0) return rc;
    puts("card moved and printed");
    return 0;
}
