/* The plain contestant: what a small C program does for the same jobs as the
 * program, with nothing but the C library and the system calls. It holds its
 * own wildcard match and natural order, written apart from the program's, so
 * a fault in one does not hide in the other; the benchmark compares its output
 * with the program's. */
#ifndef TOLVANE_BENCH_PLAIN_H
#define TOLVANE_BENCH_PLAIN_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

struct plain_names {
    char** names; /* each one malloc'ed */
    size_t count;
    size_t capacity;
};

/* Natural order: digit runs by value, leading zeros ignored; other bytes with
 * ASCII letters as lower case; a tie goes to the raw bytes. */
int plain_natural_compare(const char* a, const char* b);

/* Whether name matches one of the ";"-separated patterns ("*", "?" for one
 * UTF-8 character, ASCII case ignored, "x.*" also takes a dotless "x"). */
int plain_matches(const char* patterns, const char* name);

/* The regular, non-hidden files of folder that match patterns, in natural
 * order. Returns 0 or the errno of the failure (then nothing is listed). */
int plain_list(const char* folder, const char* patterns, struct plain_names* out);
void plain_names_free(struct plain_names* names);

/* The whole job: list, sort, and rename every file to prefix + serial +
 * suffix + extension in folder, the serials zero-padded to the longer of the
 * start text and the last serial. Returns 0 or the errno of the first rename
 * that failed (EINVAL for a start that is not plain digits up to 32767). */
int plain_rename_job(const char* folder, const char* patterns, const char* start,
                     const char* prefix, const char* suffix);

/* Full old and new paths for the same names as plain_rename_job would use. */
struct plain_paths {
    char** from;
    char** to;
    size_t count;
};
int plain_serial_paths(const char* folder, const struct plain_names* names, const char* start,
                       const char* prefix, const char* suffix, struct plain_paths* out);
void plain_paths_free(struct plain_paths* paths);

/* The bare loop: one no-replace rename per pair (renameat2; where a file
 * system refuses its flag, link + unlink, or a check + rename where it has no
 * hard links either), nothing else. Returns the number of pairs renamed;
 * *error gets the errno of the one that failed. */
size_t plain_rename_paths(const struct plain_paths* paths, int* error);

#ifdef __cplusplus
}
#endif

#endif
