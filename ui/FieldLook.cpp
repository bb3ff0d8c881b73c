#include "ui/FieldLook.h"

#include <QApplication>
#include <QLineEdit>

namespace numora {

void SetFieldUse(QLineEdit* edit, FieldUse use) {
    const bool editable = use == FieldUse::Editable;
    edit->setReadOnly(!editable);
    QPalette look = edit->parentWidget() != nullptr ? edit->parentWidget()->palette()
                                                    : QApplication::palette(edit);
    if (!editable) {
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            look.setBrush(group, QPalette::Base, look.brush(group, QPalette::Window));
    }
    edit->setPalette(look);
    switch (use) {
        case FieldUse::Editable:
            edit->setFocusPolicy(Qt::StrongFocus);
            break;
        case FieldUse::ReadOnly:
            edit->setFocusPolicy(Qt::ClickFocus);
            break;
        case FieldUse::Display:
            edit->setFocusPolicy(Qt::NoFocus);
            break;
    }
}

}  // namespace numora
