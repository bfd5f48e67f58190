/* The engine used from C, as another language would: brains read from text
 * and from a file, answers, errors and reader messages through callbacks,
 * stopped runs and bad arguments as status codes. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "engine/varnex_c.h"

static int failures = 0;
#define CHECK(cond)                                                  \
  do {                                                               \
    if (!(cond)) {                                                   \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                    \
    }                                                                \
  } while (0)

/* Collects what a callback hears, one text per line. */
struct heard {
  char text[4096];
  int count;
};

static void collect(void* user, const char* text, size_t length) {
  struct heard* h = (struct heard*)user;
  size_t used = strlen(h->text);
  if (strlen(text) != length) ++failures; /* lengths agree with the terminator */
  if (used + length + 2 < sizeof h->text) {
    memcpy(h->text + used, text, length);
    h->text[used + length] = '\n';
    h->text[used + length + 1] = '\0';
  }
  ++h->count;
}

static const char* const kBrain =
    "Fragment AND,0,0, {before any clause}, {}, {}\n"
    "For-Mode 0,0\n"
    "  Fragment AND,0,0, {hello}, {}, {}\n"
    "  Response {Hello from C! ^Fact{greeting}},Just Text,{},{}\n"
    "For-Mode 0,0\n"
    "  Fragment AND,0,0, {divide}, {}, {}\n"
    "  Response {after},Task List,{},{}\n"
    "    Task {},Assignment,{q},{^Div{1|0}}\n"
    "For-Mode 0,0\n"
    "  Fragment AND,0,0, {spin}, {}, {}\n"
    "  Response {never},Task List,{},{}\n"
    "    Task {},Set Label,{a},{}\n"
    "    Task {},Assignment,{n},{^Add{^Fact{n}|1}}\n"
    "    Task {},Goto,{a},{}\n"
    "Fact {greeting} = {caf\xc3\xa9}\n";

int main(void) {
  struct heard answers = {{0}, 0}, errors = {{0}, 0}, messages = {{0}, 0};
  varnex_brain* brain = varnex_new();
  CHECK(brain != NULL);
  varnex_fix_seed(1);
  CHECK(varnex_on_answer(brain, collect, &answers) == VARNEX_OK);
  CHECK(varnex_on_error(brain, collect, &errors) == VARNEX_OK);
  CHECK(varnex_on_reader_message(brain, collect, &messages) == VARNEX_OK);

  CHECK(varnex_read_text(brain, kBrain) == VARNEX_OK);
  CHECK(strcmp(messages.text, "No Current Clause In Line 1\nFragment AND,0,0, {before any clause}, {}, {}\n") == 0);
  CHECK(varnex_start(brain) == VARNEX_OK);
  CHECK(varnex_answer(brain, "hello there") == VARNEX_OK);
  CHECK(strcmp(answers.text, "Hello from C! caf\xc3\xa9\n") == 0);

  /* A failing task is reported and the response still answers. */
  CHECK(varnex_answer(brain, "divide") == VARNEX_OK);
  CHECK(strcmp(errors.text, "Division by zero\n") == 0);
  CHECK(strstr(answers.text, "after\n") != NULL);

  /* A run past its time limit is stopped; the brain goes on. */
  CHECK(varnex_set_time_limit(brain, 0.2) == VARNEX_OK);
  CHECK(varnex_answer(brain, "spin") == VARNEX_STOPPED);
  CHECK(strcmp(varnex_last_error(brain), "Input stopped: it ran longer than 0.2 seconds") == 0);
  CHECK(varnex_answer(brain, "hello") == VARNEX_OK);
  CHECK(varnex_last_error(brain)[0] == '\0');

  /* Saved and read back into a second brain, it answers the same. */
  char path[] = "/tmp/varnex-capi-XXXXXX";
  int fd = mkstemp(path);
  CHECK(fd >= 0);
  close(fd);
  CHECK(varnex_save(brain, path) == VARNEX_OK);
  varnex_brain* second = varnex_new();
  struct heard again = {{0}, 0};
  CHECK(varnex_on_answer(second, collect, &again) == VARNEX_OK);
  CHECK(varnex_read_file(second, path) == VARNEX_OK);
  CHECK(varnex_answer(second, "hello") == VARNEX_OK);
  CHECK(strcmp(again.text, "Hello from C! caf\xc3\xa9\n") == 0);
  unlink(path);
  CHECK(varnex_read_file(second, path) == VARNEX_IO);
  CHECK(strstr(varnex_last_error(second), "Could not open file") != NULL);
  CHECK(varnex_stop(second) == VARNEX_OK);
  varnex_free(second);

  /* Bad arguments are refused, never a crash. */
  CHECK(varnex_answer(NULL, "x") == VARNEX_BAD_ARGUMENT);
  CHECK(varnex_answer(brain, NULL) == VARNEX_BAD_ARGUMENT);
  CHECK(varnex_read_text(brain, NULL) == VARNEX_BAD_ARGUMENT);
  CHECK(varnex_set_time_limit(brain, -1) == VARNEX_BAD_ARGUMENT);
  CHECK(varnex_last_error(NULL)[0] == '\0');
  CHECK(varnex_stop(brain) == VARNEX_OK);
  varnex_free(brain);
  varnex_free(NULL);

  if (failures) {
    fprintf(stderr, "%d checks failed\n", failures);
    return 1;
  }
  puts("C interface checks passed");
  return 0;
}
