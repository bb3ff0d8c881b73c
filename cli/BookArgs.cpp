#include "cli/BookArgs.h"

#include <cstdio>

#include "cli/BookFiles.h"
#include "history/BookHistory.h"

namespace numora {

bool LoadBookArgument(const std::string& arg, PhoneBook& book, FileView& page) {
    if (!arg.starts_with('@')) return LoadBookFile(arg, book, page);
    BookHistory history;
    QString why;
    if (!history.Load(QString::fromStdString(arg.substr(1)), book, false, &why)) {
        std::fprintf(stderr, "%s: %s (in %s)\n", arg.c_str(), why.toLocal8Bit().constData(),
                     history.Folder().toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace numora
