/* Device link layer: the raw device functions and the DES helpers of libdevsdk.so.
 *
 * A handle is an open port to one mechanism controller board, over USB or a
 * serial line. Open it with one of the open functions, exchange command frames
 * with send_command_wait_ack (or pass whole frames with raw_write/raw_read, or
 * run a device script with run_script), and destroy it with close_device.
 * A handle must be used by one thread at a time. No C++ exception leaves these
 * functions. */
#ifndef DEVLINK_H
#define DEVLINK_H

#ifdef __cplusplus
class Device;
extern "C" {
#else
typedef struct Device Device;
#endif

/* Link results of an exchange (besides 0 and the board's state byte). */
#define DEVLINK_NO_REPLY 230       /* timeout, USB transfer failure, or a reply under 5 bytes */
#define DEVLINK_WRITE_FAILED 232   /* the request could not be built or written */
#define DEVLINK_REPLY_TOO_LONG 233 /* USB reply block longer than 3,499 bytes */
#define DEVLINK_BAD_REPLY 236      /* reply check byte wrong, or length field inconsistent */
#define DEVLINK_SCRIPT_ERROR 974850

/* Makes (vid, pid) the ids the open functions look for; returns how many
 * attached devices carry them, -1 when the USB library cannot be started, or
 * the library's negative error code when the device list cannot be read. */
int change_device_pid(unsigned short vid, unsigned short pid);
/* Number of attached devices with the current ids (errors as above). */
int get_usb_device_count(void);

/* Selector: a text not beginning with a digit names a serial device file below
 * /dev/. Otherwise its leading decimal number V selects: below 100 the serial
 * line /dev/COM<V>; 100 the first USB board (else the first of COM0..COM29
 * that opens); 200..299 the USB board at bus position V-200; 101..199 and
 * 301..399 the USB board answering the address probe with V mod 100. Returns 0
 * and the handle in *handle, or -1 with nothing left open. baud applies to
 * serial lines (2400, 4800, 115200; anything else is 9600). */
int open_device_by_path_by_baud_rate(const char* selector, Device** handle, int baud);
int open_device_by_path(const char* selector, Device** handle);
/* open_device_by_path with the decimal text of number modulo 256. */
int open_device(unsigned int number, Device** handle);
/* Closes the port and destroys the handle; null is ignored. */
void close_device(Device* handle);

/* One command exchange. Returns a link result (230 and above) when the
 * exchange failed, else the reply's state byte as a signed number (0 = done).
 * replyData must hold the longest reply the command can give (at most 3,489
 * bytes); replyPackageNum may be null. timeout is in milliseconds per read. */
int send_command_wait_ack(Device* handle, short packageNum, short cmdCode, signed char state,
                          char* data, int len, short* replyPackageNum, char* replyData,
                          int* replyLen, int timeout);
/* Writes len raw frame bytes through the port's transport. */
int raw_write(Device* handle, unsigned char* data, unsigned short len);
/* Reads one whole de-stuffed frame (at most 3,499 bytes) into buffer. */
int raw_read(Device* handle, unsigned char* buffer, int* len, int timeout);
/* Runs a device script; its transcript goes to out (outSize bytes with the NUL). */
int run_script(Device* handle, char* script, char* out, int outSize, int reserved);

/* DES helpers. Keys: 8 bytes for DES; 8 (doubled), 16 or 24 bytes for the
 * triple-DES ECB members; 16 or 24 for the triple-DES CBC members. Blocks are
 * 8 bytes, padding is zero bytes and is never removed. A null iv means zeros;
 * a given iv is updated in place. Encrypting members need out to hold the
 * length rounded up to a multiple of 8. */
unsigned int des_ecb_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key);
unsigned int des_ecb_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key);
unsigned int des_cbc_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key, unsigned char* iv);
unsigned int des_cbc_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key, unsigned char* iv);
unsigned int des3_ecb_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen);
unsigned int des3_ecb_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen);
unsigned int des3_cbc_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen, unsigned char* iv);
unsigned int des3_cbc_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen, unsigned char* iv);
/* mode 0: as des3_ecb_encrypt / des3_ecb_decrypt; any other mode: CBC with a zero vector. */
unsigned int des3_ecb_encrypt2(int mode, unsigned char* out, const unsigned char* in,
                               unsigned int len, const unsigned char* key, unsigned int keyLen);
unsigned int des3_ecb_decrypt2(int mode, unsigned char* out, const unsigned char* in,
                               unsigned int len, const unsigned char* key, unsigned int keyLen);

#ifdef __cplusplus
}
#endif
#endif
