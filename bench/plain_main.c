/* tolvane-bench-plain: the plain contestant as a process of its own.
 *   tolvane-bench-plain list DIR PATTERNS
 *   tolvane-bench-plain rename DIR PATTERNS START [PREFIX [SUFFIX]]
 * The same jobs as tolvane-bench list and rename; rename prints 0 or the
 * errno of the rename that failed. */
#include <stdio.h>
#include <string.h>

#include "plain.h"

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "list") == 0) {
        struct plain_names names;
        size_t k;
        const int error = plain_list(argv[2], argv[3], &names);
        if (error) {
            fprintf(stderr, "%s: %s\n", argv[2], strerror(error));
            return 1;
        }
        for (k = 0; k < names.count; ++k) {
            fputs(names.names[k], stdout);
            putchar('\n');
        }
        plain_names_free(&names);
        return fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc >= 5 && argc <= 7 && strcmp(argv[1], "rename") == 0) {
        const int error = plain_rename_job(argv[2], argv[3], argv[4], argc > 5 ? argv[5] : "",
                                           argc > 6 ? argv[6] : "");
        printf("%d\n", error);
        return error == 0 ? 0 : 1;
    }
    fputs(
        "usage: tolvane-bench-plain list DIR PATTERNS\n"
        "       tolvane-bench-plain rename DIR PATTERNS START [PREFIX [SUFFIX]]\n",
        stderr);
    return 2;
}
