// In a named profile a setting left unset follows the main profile. These
// helpers make that visible: a grey check box says what it follows and the
// value it takes, an empty field shows the inherited value greyed inside it.
#pragma once

#include <QString>

class QCheckBox;
class QLineEdit;

namespace pellar {

// caption: the box's own text. inheritedOn: the main profile's value. Off
// (plain caption) outside a named profile.
void ShowInheritedFlag(QCheckBox* box, const QString& caption, bool named, bool inheritedOn);
void ShowInheritedText(QLineEdit* edit, bool named, const QString& inherited);

// What a grey box's caption says.
QString InheritedCaption(const QString& caption, bool inheritedOn);

} // namespace pellar
