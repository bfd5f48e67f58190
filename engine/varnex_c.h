/* The Varnex engine for other languages: a C interface over the front door
 * (varnex.h). A brain is an opaque handle; texts go in and out as UTF-8 (or
 * any bytes: the engine treats texts as byte strings) with explicit
 * lengths on the way out; every call returns a status code, and no C++
 * exception ever crosses this interface.
 *
 * Calls on one handle must not overlap, except varnex_request_stop. Texts
 * handed to a callback are valid only during the callback. */
#ifndef VARNEX_C_H
#define VARNEX_C_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct varnex_brain varnex_brain;

/* Status codes. */
enum {
  VARNEX_OK = 0,
  VARNEX_STOPPED = 1,      /* the run was stopped (varnex_request_stop, time limit) */
  VARNEX_FAILED = 2,       /* the run ended in an error (varnex_last_error says which) */
  VARNEX_BAD_ARGUMENT = 3, /* a null handle or text */
  VARNEX_NO_MEMORY = 4,
  VARNEX_IO = 5            /* a file could not be read or written */
};

/* What the brain says: the text and its length in bytes (the text is also
 * zero-terminated). */
typedef void (*varnex_text_fn)(void* user, const char* text, size_t length);

/* A new brain with its default mode and state; NULL when out of memory. */
varnex_brain* varnex_new(void);
/* Frees the brain (NULL is allowed). Call varnex_stop first to let its
 * Finalize clauses answer. */
void varnex_free(varnex_brain* brain);

/* Handlers; NULL removes one. */
int varnex_on_answer(varnex_brain* brain, varnex_text_fn fn, void* user);
int varnex_on_error(varnex_brain* brain, varnex_text_fn fn, void* user);          /* single tags and tasks */
int varnex_on_reader_message(varnex_brain* brain, varnex_text_fn fn, void* user); /* problems in Language text */
int varnex_on_trace(varnex_brain* brain, varnex_text_fn fn, void* user);          /* tracing is on while set */

/* Reading: a Language File, or Language text with lines separated by "\n". */
int varnex_read_file(varnex_brain* brain, const char* path);
int varnex_read_text(varnex_brain* brain, const char* text);
/* Writing: the brain to a file (atomically). */
int varnex_save(varnex_brain* brain, const char* path);

/* Running. */
int varnex_start(varnex_brain* brain); /* the Initialize clauses answer */
int varnex_stop(varnex_brain* brain);  /* the Finalize clauses answer */
int varnex_answer(varnex_brain* brain, const char* input);
int varnex_tick(varnex_brain* brain); /* one second of volition; the host calls it once a second */
int varnex_request_stop(varnex_brain* brain);
/* Seconds one input may run (0: no limit). */
int varnex_set_time_limit(varnex_brain* brain, double seconds);

/* The message of the last call on this brain that did not return
 * VARNEX_OK; empty when there was none. Valid until the next call. */
const char* varnex_last_error(const varnex_brain* brain);

/* Fixes the random generator's seed for the whole process. */
void varnex_fix_seed(unsigned long long seed);

#ifdef __cplusplus
}
#endif

#endif /* VARNEX_C_H */
