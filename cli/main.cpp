// numora-cli: the phone book from the command line.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "book/BookJson.h"
#include "cli/BookFiles.h"
#include "cli/BookListing.h"
#include "cli/ConsolePage.h"
#include "cli/PhoneCommands.h"
#include "cli/PrintCommand.h"
#include "cli/ProgramFolder.h"

namespace {

using namespace numora;

constexpr const char* kUsage =
    "usage: numora-cli dump [--json] FILE\n"
    "       numora-cli convert IN OUT\n"
    "       numora-cli read [--port DEV] [--trace] [--timeout SEC] [--no-progress] -o OUT\n"
    "       numora-cli write [--port DEV] [--trace] [--timeout SEC] [--no-progress] [--force] IN\n"
    "       numora-cli print IN -o OUT.pdf [--pages FROM-TO]\n"
    "FILE, IN and OUT are phone-book files (*.pb), JSON (*.json), vCard (*.vcf) or CSV (*.csv).\n"
    "Without --port the serial ports are searched for the handset, for at most --timeout\n"
    "seconds (30). print writes the printout of the book's entries as a PDF; --pages picks\n"
    "pages of it. write refuses a book whose file is damaged unless --force is given.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int Dump(const std::vector<std::string>& args, const std::filesystem::path& folder) {
    bool json = false;
    std::string file;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (file.empty() && !a.starts_with("--")) {
            file = a;
        } else {
            return Usage();
        }
    }
    if (file.empty()) return Usage();
    CPBData book;
    CConsolePage page(book, folder);
    page.SetQuiet(true);
    if (!LoadBookFile(file, book, page)) return 1;
    const bool terminal = StdoutIsTerminal();
    const std::string text = json ? BookToJson(book, terminal) + "\n" : BookListing(book);
    WriteForStdout(text, terminal);
    return 0;
}

int Convert(const std::vector<std::string>& args, const std::filesystem::path& folder) {
    if (args.size() != 2) return Usage();
    CPBData book;
    CConsolePage page(book, folder);
    page.SetQuiet(true);
    if (!LoadBookFile(args[0], book, page)) return 1;
    return SaveBookFile(args[1], book, page) ? 0 : 1;
}

// Options of read and write; false on a usage error.
bool ParsePhoneOptions(const std::vector<std::string>& args, bool reading, PhoneOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--port" && hasValue) {
            o.port = args[++i];
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--no-progress") {
            o.progress = false;
        } else if (a == "--timeout" && hasValue) {
            try {
                o.searchTimeoutSec = std::stoi(args[++i]);
            } catch (const std::exception&) {
                return false;
            }
            if (o.searchTimeoutSec < 1) return false;
        } else if (!reading && a == "--force") {
            o.force = true;
        } else if (reading && a == "-o" && hasValue && o.file.empty()) {
            o.file = args[++i];
        } else if (!reading && !a.starts_with("-") && o.file.empty()) {
            o.file = a;
        } else {
            return false;
        }
    }
    return !o.file.empty();
}

int Phone(const std::vector<std::string>& args, bool reading, const std::filesystem::path& folder) {
    PhoneOptions options;
    if (!ParsePhoneOptions(args, reading, options)) return Usage();
    return reading ? RunRead(options, folder) : RunWrite(options, folder);
}

int Print(const std::vector<std::string>& args, const std::filesystem::path& folder) {
    PrintOptions options;
    if (!ParsePrintOptions(args, options)) return Usage();
    return RunPrint(options, folder);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    const auto folder = ProgramFolder(argv[0]);
    if (command == "dump") return Dump(args, folder);
    if (command == "convert") return Convert(args, folder);
    if (command == "read") return Phone(args, true, folder);
    if (command == "write") return Phone(args, false, folder);
    if (command == "print") return Print(args, folder);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return Usage();
}
