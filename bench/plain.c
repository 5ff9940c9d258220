#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* renameat2 */
#endif

#include "plain.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

static unsigned char lower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : c;
}

int plain_natural_compare(const char* a, const char* b) {
    const unsigned char* x = (const unsigned char*)a;
    const unsigned char* y = (const unsigned char*)b;
    while (*x && *y) {
        if (is_digit(*x) && is_digit(*y)) {
            const unsigned char *xs, *ys;
            size_t xn, yn;
            int c;
            while (*x == '0')
                ++x;
            while (*y == '0')
                ++y;
            for (xs = x; is_digit(*x); ++x) {
            }
            for (ys = y; is_digit(*y); ++y) {
            }
            xn = (size_t)(x - xs);
            yn = (size_t)(y - ys);
            if (xn != yn)
                return xn < yn ? -1 : 1;
            c = memcmp(xs, ys, xn);
            if (c != 0)
                return c < 0 ? -1 : 1;
        } else {
            if (lower(*x) != lower(*y))
                return lower(*x) < lower(*y) ? -1 : 1;
            ++x;
            ++y;
        }
    }
    if (*x || *y)
        return *x ? 1 : -1;
    {
        const int c = strcmp(a, b);
        return (c > 0) - (c < 0);
    }
}

/* Bytes of the UTF-8 character at s; 1 for a byte that starts none. */
static size_t char_bytes(const unsigned char* s) {
    size_t n = 1, k;
    if (*s >= 0xC2 && *s <= 0xDF)
        n = 2;
    else if (*s >= 0xE0 && *s <= 0xEF)
        n = 3;
    else if (*s >= 0xF0 && *s <= 0xF4)
        n = 4;
    for (k = 1; k < n; ++k) {
        if ((s[k] & 0xC0) != 0x80)
            return 1;
    }
    return n;
}

static int wild(const unsigned char* p, const unsigned char* pend, const unsigned char* s) {
    const unsigned char* star = NULL;
    const unsigned char* retry = NULL;
    while (*s) {
        if (p < pend && *p == '*') {
            star = ++p;
            retry = s;
        } else if (p < pend && *p == '?') {
            ++p;
            s += char_bytes(s);
        } else if (p < pend && lower(*p) == lower(*s)) {
            ++p;
            ++s;
        } else if (star) {
            retry += char_bytes(retry);
            p = star;
            s = retry;
        } else {
            return 0;
        }
    }
    while (p < pend && *p == '*')
        ++p;
    return p == pend;
}

int plain_matches(const char* patterns, const char* name) {
    const unsigned char* p = (const unsigned char*)patterns;
    const unsigned char* n = (const unsigned char*)name;
    const int dotless = strchr(name, '.') == NULL;
    while (*p) {
        const unsigned char* end = p;
        while (*end && *end != ';')
            ++end;
        if (end > p) {
            if (wild(p, end, n))
                return 1;
            if (dotless && end - p >= 2 && end[-2] == '.' && end[-1] == '*' && wild(p, end - 2, n))
                return 1;
        }
        p = *end ? end + 1 : end;
    }
    return 0;
}

static int by_natural_order(const void* a, const void* b) {
    return plain_natural_compare(*(char* const*)a, *(char* const*)b);
}

void plain_names_free(struct plain_names* names) {
    size_t k;
    for (k = 0; k < names->count; ++k)
        free(names->names[k]);
    free(names->names);
    names->names = NULL;
    names->count = names->capacity = 0;
}

int plain_list(const char* folder, const char* patterns, struct plain_names* out) {
    DIR* dir;
    struct dirent* entry;
    int error = 0;
    out->names = NULL;
    out->count = out->capacity = 0;
    dir = opendir(folder);
    if (!dir)
        return errno;
    for (;;) {
        errno = 0;
        entry = readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        if (entry->d_name[0] == '.' || !plain_matches(patterns, entry->d_name))
            continue;
        if (entry->d_type != DT_REG) {
            struct stat st;
            if (entry->d_type != DT_UNKNOWN ||
                fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISREG(st.st_mode))
                continue;
        }
        if (out->count == out->capacity) {
            const size_t grown = out->capacity ? out->capacity * 2 : 1024;
            char** bigger = realloc(out->names, grown * sizeof *bigger);
            if (!bigger) {
                error = ENOMEM;
                break;
            }
            out->names = bigger;
            out->capacity = grown;
        }
        out->names[out->count] = strdup(entry->d_name);
        if (!out->names[out->count]) {
            error = ENOMEM;
            break;
        }
        ++out->count;
    }
    closedir(dir);
    if (error) {
        plain_names_free(out);
        return error;
    }
    qsort(out->names, out->count, sizeof *out->names, by_natural_order);
    return 0;
}

/* The start as a number and the width of every serial, or -1 when the start
 * cannot number count files. */
static int serial_width(const char* start, size_t count, long* first) {
    const size_t typed = strlen(start);
    long value = 0, last;
    int digits = 0;
    size_t k;
    if (typed == 0)
        return -1;
    for (k = 0; k < typed; ++k) {
        if (!is_digit((unsigned char)start[k]))
            return -1;
        if (value <= 32767)
            value = value * 10 + (start[k] - '0');
    }
    last = value + (long)count - (count > 0 ? 1 : 0);
    if (value > 32767 || last > 32767)
        return -1;
    do {
        ++digits;
        last /= 10;
    } while (last > 0);
    *first = value;
    return (size_t)digits > typed ? digits : (int)typed;
}

static const char* extension_of(const char* name) {
    const char* dot = strrchr(name, '.');
    return dot ? dot : "";
}

/* The full old and new path of one file; ENAMETOOLONG when one does not fit. */
static int paths_of(char* from, char* to, size_t size, const char* folder, const char* name,
                    const char* prefix, int width, long serial, const char* suffix) {
    const int old_length = snprintf(from, size, "%s/%s", folder, name);
    const int new_length = snprintf(to, size, "%s/%s%0*ld%s%s", folder, prefix, width, serial,
                                    suffix, extension_of(name));
    return (old_length < 0 || (size_t)old_length >= size || new_length < 0 ||
            (size_t)new_length >= size)
               ? ENAMETOOLONG
               : 0;
}

/* Without the no-replace flag: a link fails when the target exists. Without
 * hard links either (a camera card): a check right before a plain rename. */
static int rename_by_link(const char* from, const char* to) {
    struct stat st;
    if (linkat(AT_FDCWD, from, AT_FDCWD, to, 0) == 0) {
        const int error = unlink(from) == 0 ? 0 : errno;
        if (error)
            unlink(to); /* back to the one old name */
        return error;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK)
        return errno;
    if (lstat(to, &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return rename(from, to) == 0 ? 0 : errno;
}

static int do_rename(const char* from, const char* to) {
#ifdef __linux__
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    /* EINVAL: a file system that refuses the flag, as cards through FUSE do. */
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    return rename_by_link(from, to);
}

int plain_rename_job(const char* folder, const char* patterns, const char* start,
                     const char* prefix, const char* suffix) {
    struct plain_names names;
    char from[PATH_MAX], to[PATH_MAX];
    long serial = 0;
    int width, error = 0;
    size_t k;
    error = plain_list(folder, patterns, &names);
    if (error)
        return error;
    width = serial_width(start, names.count, &serial);
    if (width < 0) {
        plain_names_free(&names);
        return EINVAL;
    }
    for (k = 0; k < names.count && !error; ++k, ++serial) {
        error =
            paths_of(from, to, sizeof from, folder, names.names[k], prefix, width, serial, suffix);
        if (!error && strcmp(from, to) != 0)
            error = do_rename(from, to);
    }
    plain_names_free(&names);
    return error;
}

int plain_serial_paths(const char* folder, const struct plain_names* names, const char* start,
                       const char* prefix, const char* suffix, struct plain_paths* out) {
    char from[PATH_MAX], to[PATH_MAX];
    long serial = 0;
    const int width = serial_width(start, names->count, &serial);
    size_t k;
    out->count = 0;
    out->from = calloc(names->count + 1, sizeof *out->from);
    out->to = calloc(names->count + 1, sizeof *out->to);
    if (width < 0 || !out->from || !out->to) {
        plain_paths_free(out);
        return width < 0 ? EINVAL : ENOMEM;
    }
    for (k = 0; k < names->count; ++k, ++serial) {
        const int error =
            paths_of(from, to, sizeof from, folder, names->names[k], prefix, width, serial, suffix);
        if (!error) {
            out->from[k] = strdup(from);
            out->to[k] = strdup(to);
        }
        out->count = k + 1;
        if (error || !out->from[k] || !out->to[k]) {
            plain_paths_free(out);
            return error ? error : ENOMEM;
        }
    }
    return 0;
}

void plain_paths_free(struct plain_paths* paths) {
    size_t k;
    for (k = 0; paths->from && paths->to && k < paths->count; ++k) {
        free(paths->from[k]);
        free(paths->to[k]);
    }
    free(paths->from);
    free(paths->to);
    paths->from = paths->to = NULL;
    paths->count = 0;
}

size_t plain_rename_paths(const struct plain_paths* paths, int* error) {
    size_t k;
    *error = 0;
    for (k = 0; k < paths->count; ++k) {
        *error = do_rename(paths->from[k], paths->to[k]);
        if (*error)
            break;
    }
    return k;
}
