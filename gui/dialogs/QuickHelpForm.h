// "Quick help": the keys worth knowing, rebuilt every time it is shown.
#pragma once

#include <QWidget>

namespace pellar {

class TMiravoTextEdit;

class TQuickHelpForm : public QWidget {
    Q_OBJECT

public:
    explicit TQuickHelpForm(QWidget* parent = nullptr);

    // Clears the text and writes the help lines again.
    void Rebuild();

    TMiravoTextEdit* TextEdit() const { return textEdit_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TMiravoTextEdit* textEdit_;
};

} // namespace pellar
