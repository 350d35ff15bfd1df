/* Rewritable card printer driver: find the printers, pick one by its identity, read
 * its information, take a card in, erase it, print a 1-bit image, put the card out.
 * Every function returns 0 on success, otherwise a result code. Calls are expected
 * from one thread at a time. */
#ifndef KQCR80PRINTER_H
#define KQCR80PRINTER_H

#ifdef __cplusplus
extern "C" {
#endif

/* A printer handle from kq_ecp_open; valid for the life of the process. */
typedef struct kqCR80_Pram kqCR80_Pram;

/* Print image: 944 rows of 84 bytes (672 dots a row, most significant bit first,
 * 1 = dot printed), the raster of a binary PBM 672 wide and 944 high. */
#define KQ_ECP_IMAGE_BYTES 79296

/* Result codes besides 0 and the link codes (36, 225, 227, 230, 232, 233, 255). */
#define KQ_ECP_NO_DRIVER 1634         /* kq_ecp_open before a successful kq_ecp_enum */
#define KQ_ECP_UNKNOWN_PRINTER 601    /* no printer with that identity */
#define KQ_ECP_LIST_TOO_LONG 36       /* the identity list does not fit the buffer */
#define KQ_ECP_BAD_ARGUMENT 0x2000001 /* an argument outside its range, or a bad handle */
#define KQ_ECP_NO_MEMORY 0x3000001    /* the print buffer could not be allocated */

/* Opens the printers on the first call and lists their identities in byte order,
 * separated by "\n" and NUL-terminated. *length: capacity on entry, text length on
 * return. -1 when USB cannot start or no printer is attached. */
int kq_ecp_enum(char* list, unsigned int* length, int* count);
int kq_ecp_open(const char* identity, kqCR80_Pram** printer);
/* Releases every printer's USB port. A handle used afterwards reopens its printer. */
int kq_ecp_close(void);
/* Writes the information document (compact JSON) into json; the buffer must hold it
 * (1024 bytes are plenty). */
int kq_ecp_info(kqCR80_Pram* printer, char* json);
int kq_ecp_print(kqCR80_Pram* printer, char* image, int length, int rows, int dots);
int kq_ecp_accept(kqCR80_Pram* printer, int mode);
int kq_ecp_eject(kqCR80_Pram* printer);
/* Erase rectangle in millimetres; the whole card (0, 0, 80, 57) until changed. */
int kq_ecp_set_eraserect(kqCR80_Pram* printer, double x, double y, double width, double height);
int kq_ecp_erase(kqCR80_Pram* printer);

/* Packs one byte per pixel (non-zero = 1) into 1-bit rows padded to four bytes. */
int WB2Bin(const char* pixels, int unused, int width, int height, char* out, int* outLength);

#ifdef __cplusplus
}
#endif

#endif
