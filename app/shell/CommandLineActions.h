#pragma once

#include <QStringList>

// The actions `velarion --panic`, `velarion --presentation on|off` and `velarion --status`: each
// asks the running instance (RemoteInstance) and never starts one. Exit codes: 0 done (the status
// printed on standard output), 1 no instance runs or it refused, 2 the arguments are wrong;
// messages for 1 and 2 go to standard error.
namespace CommandLineActions {

// Whether `argv` names one of the actions, so that main() runs it without a display instead of
// starting the application.
bool isAction(int argc, char** argv);

// Needs a QCoreApplication; `arguments` include the program name.
int run(const QStringList& arguments);

}  // namespace CommandLineActions
