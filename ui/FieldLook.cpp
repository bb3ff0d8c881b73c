#include "ui/FieldLook.h"

#include <QApplication>
#include <QLineEdit>

namespace numora {

namespace {

Qt::FocusPolicy FocusFor(FieldUse use) {
    switch (use) {
        case FieldUse::ReadOnly:
            return Qt::ClickFocus;
        case FieldUse::Display:
            return Qt::NoFocus;
        case FieldUse::Editable:
            break;
    }
    return Qt::StrongFocus;
}

}  // namespace

void SetFieldUse(QLineEdit* edit, FieldUse use) {
    const bool editable = use == FieldUse::Editable;
    const Qt::FocusPolicy focus = FocusFor(use);
    // The list is refilled often; a field already in its state is left alone.
    if (edit->isReadOnly() == !editable && edit->focusPolicy() == focus) return;
    edit->setReadOnly(!editable);
    edit->setFocusPolicy(focus);
    QPalette look = edit->parentWidget() != nullptr ? edit->parentWidget()->palette()
                                                    : QApplication::palette(edit);
    if (!editable) {
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            look.setBrush(group, QPalette::Base, look.brush(group, QPalette::Window));
    }
    edit->setPalette(look);
}

}  // namespace numora
