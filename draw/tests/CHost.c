/* A host program written in C: the header compiles as C and the library links as one. */
#include <stdlib.h>

#include "cardpaint.h"

int cardpaint_c_host_commit_length(void) {
    DrawContext* canvas = NULL;
    int length = 0;
    if (DrawPrepareCanvas(&canvas, 0, 1, 64, 32) != CARDPAINT_OK) {
        return -1;
    }
    if (DrawCommitCanvas(canvas, NULL, &length) != CARDPAINT_NO_ROOM) {
        length = -1;
    } else {
        void* data = malloc((size_t)length);
        if (data == NULL || DrawCommitCanvas(canvas, data, &length) != CARDPAINT_OK) {
            length = -1;
        }
        free(data);
    }
    DrawClearCanvas(canvas);
    return length;
}
