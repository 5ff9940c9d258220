#include "ui/startup/CommandLine.h"

#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <filesystem>
#include <system_error>

namespace {

QList<QByteArray> argumentsOf(int argc, char** argv) {
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

bool hasOption(int argc, char** argv, std::initializer_list<const char*> names) {
    for (const QByteArray& argument : argumentsOf(argc, argv)) {
        if (argument == "--")
            return false;
        for (const char* name : names) {
            if (argument == name)
                return true;
        }
    }
    return false;
}

}  // namespace

QByteArray folderArgument(const QList<QByteArray>& arguments) {
    bool optionsEnded = false;
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        // Options the program does not know are passed over: a desktop or a
        // script that adds one must not keep the window from opening.
        if (!optionsEnded && argument.startsWith('-'))
            continue;
        // Only the first folder counts. One window shows one folder, and a
        // file manager that starts the program with several selected folders
        // gets the first opened rather than a refusal.
        return argument;
    }
    return {};
}

QString absoluteFolder(const QByteArray& argument, const QByteArray& workingFolder) {
    if (argument.isEmpty())
        return {};
    if (argument.startsWith('/'))
        return normalizeFolderPath(fromNative(argument));
    if (!workingFolder.startsWith('/'))
        return {};
    return normalizeFolderPath(fromNative(withTrailingSlash(workingFolder) + argument));
}

QString folderFromCommandLine(int argc, char** argv) {
    const QByteArray argument = folderArgument(argumentsOf(argc, argv));
    // The working folder as bytes: QDir::currentPath would decode it as text
    // and lose a name that is not UTF-8.
    std::error_code error;
    const std::filesystem::path working = std::filesystem::current_path(error);
    return absoluteFolder(argument, error ? QByteArray() : QByteArray(working.c_str()));
}

bool asksForHelp(int argc, char** argv) {
    return hasOption(argc, argv, {"--help", "-h"});
}

bool asksForVersion(int argc, char** argv) {
    return hasOption(argc, argv, {"--version"});
}
