/* A minimal kiosk host in C: loads libdevsdk.so by linking, runs each
 * argument as a request and prints "code<TAB>document" per line.
 * Special arguments: --null (a call on a null SDK object), --objects
 * (get_object_list), --reinit (release, then initialise again). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "devsdk.h"

int main(int argc, char** argv) {
    static char out[1 << 20];
    lib_dev* sdk = NULL;
    int i;
    printf("main\n");
    printf("init\t%d\n", lib_init_sdk(&sdk));
    for (i = 1; i < argc; ++i) {
        int code;
        out[0] = '\0';
        if (strcmp(argv[i], "--null") == 0) {
            code = lib_call_method(NULL, false, "{}", out);
        } else if (strcmp(argv[i], "--objects") == 0) {
            code = get_object_list(sdk, out);
        } else if (strcmp(argv[i], "--reinit") == 0) {
            lib_release_sdk(sdk);
            code = lib_init_sdk(&sdk);
        } else {
            code = lib_call_method(sdk, false, argv[i], out);
        }
        printf("%d\t%s\n", code, out);
    }
    printf("release\t%d\n", lib_release_sdk(sdk));
    return 0;
}
