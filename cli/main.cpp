// numora-cli: the phone book from the command line. Each command lives in its own class (see
// cli/Command.h); this only hands over the arguments.
#include "cli/Command.h"

int main(int argc, char** argv) {
    return numora::RunCommandLine(argc, argv);
}
