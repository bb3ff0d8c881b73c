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

namespace {

using namespace numora;

constexpr const char* kUsage =
    "usage: numora-cli dump [--json] FILE\n"
    "       numora-cli convert IN OUT\n"
    "       numora-cli read [--port DEV] [--trace] [--timeout SEC] [--pace fast] [--no-progress]\n"
    "                       -o OUT\n"
    "       numora-cli write [--port DEV] [--trace] [--timeout SEC] [--pace fast] [--no-progress]\n"
    "                        IN\n"
    "       numora-cli print IN -o OUT.pdf [--pages FROM-TO]\n"
    "FILE, IN and OUT are phone-book files (*.pb), JSON (*.json), vCard (*.vcf) or CSV (*.csv).\n"
    "Without --port the serial ports are searched for the handset, for at most --timeout\n"
    "seconds (1 to 3600, default 30; never less than one sweep of the ports). print writes\n"
    "the printout of the book's entries as a PDF; --pages picks pages of it. --pace fast leaves\n"
    "out the pauses between records, falling back to the specified pace when the handset is\n"
    "late.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

std::filesystem::path ProgramFolder(const char* argv0) {
    std::error_code ec;
    const auto exe = std::filesystem::weakly_canonical(argv0, ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
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
    const std::string text = json ? BookToJson(book) + "\n" : BookListing(book);
    std::fwrite(text.data(), 1, text.size(), stdout);
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
            if (!ParseSearchTimeout(args[++i], o)) return false;
        } else if (a == "--pace" && hasValue) {
            if (!ParsePace(args[++i], o)) return false;
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
