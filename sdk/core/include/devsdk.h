/* Device SDK: the exported entry points of libdevsdk.so.
 *
 * A host program calls lib_init_sdk once, passes each request to
 * lib_call_method as a JSON argument text whose "funccode" names the method,
 * and calls lib_release_sdk at the end. Every call writes a compact JSON
 * result document into `out`; the caller sizes that buffer (the HTTP service
 * uses 100 MiB). No C++ exception leaves these functions. */
#ifndef DEVSDK_H
#define DEVSDK_H

#ifdef __cplusplus
class lib_dev;
extern "C" {
#else
#include <stdbool.h>
typedef struct lib_dev lib_dev;
#endif

/* Listener for device events: receives the event document text. */
typedef int (*devsdk_event_listener)(char* eventJson);

/* 0 and the SDK object stored through `out`, or 1411 (class does not exist). */
int lib_init_sdk(lib_dev** out);
/* Destroys the SDK object; always 0. */
int lib_release_sdk(lib_dev* sdk);
/* Runs the method named by "funccode"; returns its result code. */
int lib_call_method(lib_dev* sdk, bool flag, const char* argsJson, char* out);
/* Writes {"data":null,"msg":"成功","result":0}; always 0. */
int get_object_list(lib_dev* sdk, char* out);
/* Kept for callers of earlier releases; always 0, writes nothing. */
int get_method_list(void);
/* Clears the listener set by add_event_listener; always 0. */
int remove_event_listener(void);
/* Sets the event listener on the SDK object from lib_init_sdk; 0, or 1900
 * when no SDK object exists. */
int add_event_listener(devsdk_event_listener listener);

#ifdef __cplusplus
}
#endif
#endif
