#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks for. Options follow QCommandLineParser's conventions (long
// options with one or two dashes, `--import=PATH` or `--import PATH`).
struct CommandLine {
    enum class Action {
        Run,      // start the companion
        Help,     // print helpText() and end
        Version,  // print versionLine() and end
        Where,    // print the program folder and end
        Error,    // print `error` (one line) and end with status 2
    };
    Action action = Action::Run;
    bool setup = false;  // run the first-run wizard even when setup is recorded as done
    QString importPath;  // a folder to search, or one character file to add; empty: none
    QString error;
};

// Parses the arguments (the program name first, as in argv). Needs no application object.
CommandLine parseCommandLine(const QStringList& arguments);

// The --help text, in Japanese with the option names in ASCII; `programFolder` is the folder
// in use, named at the end.
QString helpText(const QString& programFolder);
// "porukane <version>", for --version.
QString versionLine();

// Carries out the actions that end before the companion starts (help, version, where, an
// error), with at most a QCoreApplication, so they work without a display. Returns the exit
// status, or -1 when the companion should start.
int runWithoutDisplay(const CommandLine& commandLine, int& argc, char** argv);

}  // namespace app
