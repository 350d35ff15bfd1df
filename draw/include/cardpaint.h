/* cardpaint: lays out a card picture (text, pictures, QR codes) on a canvas and
 * hands it out as a bitmap.
 *
 * A host program creates a canvas with DrawPrepareCanvas, draws on it in call
 * order, takes the result with DrawCommitCanvas (BMP in memory) or
 * DrawGetPreviewImg (a file), and releases it with DrawClearCanvas.
 * A canvas is used by one thread at a time; separate canvases are independent.
 *
 * Return codes of the Draw functions:
 *   0                     success
 *   CARDPAINT_NO_CANVAS   (-99) no canvas (null handle)
 *   CARDPAINT_NO_ROOM     (13)  the output did not fit; the needed length is reported.
 *                               DrawSetBarCodePara also returns it for a null handle.
 *   CARDPAINT_FAILED      (-1)  bad portrait value, QR encoding failed, no memory for
 *                               the QR picture, or a null length or path pointer
 *   CARDPAINT_IMAGE_ERROR (-2)  the imaging library refused the request: an unreadable
 *                               picture, an unknown font, an unwritable path, an
 *                               unusable canvas size. No C++ exception leaves this
 *                               library; every such error is reported by this code.
 */
#ifndef CARDPAINT_H
#define CARDPAINT_H

#ifdef __cplusplus
extern "C" {
#endif

#define CARDPAINT_OK 0
#define CARDPAINT_NO_CANVAS (-99)
#define CARDPAINT_NO_ROOM 13
#define CARDPAINT_FAILED (-1)
#define CARDPAINT_IMAGE_ERROR (-2)

/* The canvas record behind a handle; opaque to callers. */
typedef struct DrawContext DrawContext;

/* Canvas. */
int DrawPrepareCanvas(DrawContext** canvas, int colorOutput, int monochrome, double width,
                      double height);
/* 1: make the canvas higher than wide (rotate 270); 0: wider than high (rotate 90). */
int DrawSetCanvasPortrait(DrawContext* canvas, int portrait);
/* Releases the canvas; the handle is invalid afterwards. */
int DrawClearCanvas(DrawContext* canvas);

/* Text settings. The font name (a font or a font file) keeps at most 254 characters. */
int DrawDrawSetFont(DrawContext* canvas, const char* fontName, float size);
int DrawSetTextColor(DrawContext* canvas, int r, int g, int b);
int DrawSetTextDecorate(DrawContext* canvas, int a, int b, int c, int d);
/* Sets bold and clears a weight set before. */
int DrawSetTextIsStrong(DrawContext* canvas, int bold);
int DrawSetTextFontWeight(DrawContext* canvas, int weight);
int DrawSetTextIsItalic(DrawContext* canvas, int italic);
int DrawSetTextIsUnderline(DrawContext* canvas, int underline);
int DrawSetTextSpacing(DrawContext* canvas, double lineSpacing, double kerning);
/* Rotation of the output, in degrees. */
int DrawSetTextRotation(DrawContext* canvas, int degrees);

/* Picture, bar-code and QR settings; degrees set the output rotation. */
int DrawSetImagePara(DrawContext* canvas, int param, int degrees, float scale);
int DrawSetBarCodePara(DrawContext* canvas, int type, int param, int degrees);
int DrawSetQRCodePara(DrawContext* canvas, int param);

/* Drawing. Text (UTF-8) has its baseline origin at (x, y); pictures and QR codes are
 * resized to fit within w x h, keeping their aspect ratio, with the top left corner at
 * (x, y). Coordinates are pixels from the top left corner. */
int DrawDrawText(DrawContext* canvas, const char* text, double x, double y);
int DrawDrawImage(DrawContext* canvas, const char* path, double x, double y, double w, double h);
int DrawDrawImageBlob(DrawContext* canvas, const void* data, int length, double x, double y,
                      double w, double h);
int DrawDrawQRCode(DrawContext* canvas, const char* text, double x, double y, double w, double h);
int DrawGetTextPosition(float a, float b, double w, double h);

/* Accepted without effect. */
int DrawSetImgSharpness(DrawContext* canvas, int sharpness);
int DrawSetCodeColor(DrawContext* canvas, int r, int g, int b);
int DrawSetWaterMarkParam(DrawContext* canvas, int type, int param);
int DrawSetWaterMarkHalftone(DrawContext* canvas, int method);
int DrawSetHalftoneMethod(DrawContext* canvas, int method);
int DrawDrawBarCode(DrawContext* canvas, const char* text, double x, double y, double w, double h);
int DrawDrawWaterMark(DrawContext* canvas, const char* path, double x, double y, double w,
                      double h);
int DrawPrintDraw(DrawContext* canvas, const void* data, int length, int a, int b);

/* Output. A monochrome canvas gives a 1-bit BMP (ordered dither), optionally inverted
 * (negate) and mirrored top to bottom (flip); otherwise a grey (colorOutput 0) or colour
 * BMP. The output rectangle is cut out and the result rotated last. */
int DrawSetPreviewImg(DrawContext* canvas, int param, int degrees, int flip, int negate,
                      float scale);
int DrawSetCommitCanvasRect(DrawContext* canvas, double x, double y, double width, double height);
/* *length holds the capacity of out on entry and the BMP length on return; when the
 * capacity is too small, returns CARDPAINT_NO_ROOM with the needed length (out may then
 * be null). */
int DrawCommitCanvas(DrawContext* canvas, void* out, int* length);
/* Writes the picture to the file named in path (at most 255 characters) or, when path is
 * empty, to a generated name in the working directory, which is copied into path: the
 * buffer needs 36 bytes then. */
int DrawGetPreviewImg(DrawContext* canvas, int a, int b, char* path);

/* Text conversion with iconv. out is zero-filled first; the result is the number of bytes
 * written, or -1 for an unknown encoding, an invalid or incomplete input, a too small
 * output or a character that had to be replaced. */
int convert_char_code(const char* to, const char* from, void* out, int outLength, const void* in,
                      int inLength);
int utf8_to_utf16(const void* in, int inLength, void* out, int outLength);
int utf16_to_utf8(const void* in, int inLength, void* out, int outLength);
/* UTF-8 to GB18030; note the output comes first. */
int utf8ToAscii(void* out, int outLength, const void* in, int inLength);

#ifdef __cplusplus
}
#endif

#endif
