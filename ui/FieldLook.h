// How an edit shows what can be done in it. Many styles draw a read-only edit exactly like one
// to type in, so a read-only edit takes the window's colour instead of the field colour; where
// nothing at all can be done in it, it takes no focus either.
#pragma once

class QLineEdit;

namespace numora {

enum class FieldUse {
    Editable,
    ReadOnly,  // its text can still be selected and copied with the mouse; Tab passes it by
    Display,   // shows a value and nothing more: no focus at all
};

void SetFieldUse(QLineEdit* edit, FieldUse use);

}  // namespace numora
