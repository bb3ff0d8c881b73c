#include "cli/BookArgs.h"

#include <cstdio>

#include "cli/BookFiles.h"
#include "history/BookHistory.h"

namespace numora {

bool LoadBookArgument(const std::string& arg, CPBData& book, IFileView& page) {
    if (!arg.starts_with('@')) return LoadBookFile(arg, book, page);
    CBookHistory history;
    if (!history.Load(QString::fromStdString(arg.substr(1)), book)) {
        std::fprintf(stderr, "%s: no such snapshot in %s\n", arg.c_str(),
                     history.Folder().toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace numora
