// Small building blocks shared by the dialogs: the name entry with its "..."
// completion button, the Ok/Cancel row and the masked password entry.
#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pellar {

class TMiravoCompletionEdit;

// The edit followed by a "..." button that runs its completion. The box
// passes focus to the edit, so it can be a label's buddy; the edit still
// needs a name of its own, as the label is not its sibling.
QWidget* WithCompleteButton(TMiravoCompletionEdit* edit, QWidget* parent);

// "Ok" (default) and "Cancel". Ok is not wired to accept, because most
// dialogs check their fields first; Cancel rejects.
QDialogButtonBox* OkCancelButtons(QDialog* dialog, QPushButton** ok);

// A password entry that shows "*" for each character.
QLineEdit* PasswordEdit(const QString& objectName, QWidget* parent);

} // namespace pellar
