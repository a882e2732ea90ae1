#include "gui/common/UnencodablePrompt.h"

#include "gui/common/WireCodec.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace pellar {

namespace {

// The context of this file's texts in the translation.
struct UnencodablePrompt {
    Q_DECLARE_TR_FUNCTIONS(UnencodablePrompt)
};


constexpr int kNamedAtMost = 12;

QString SetName(WireCharset charset)
{
    return QString::fromLatin1(WireCharsetName(charset));
}

} // namespace

QString DescribeCharacters(const QString& characters)
{
    const QList<uint> points = characters.toUcs4();
    QStringList named;
    for (qsizetype i = 0; i < points.size() && i < kNamedAtMost; ++i) {
        const char32_t c = points[i];
        const QString hex = QStringLiteral("%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
        named << QStringLiteral("%1 (U+%2)").arg(QString::fromUcs4(&c, 1), hex);
    }
    QString text = named.join(QStringLiteral(", "));
    if (points.size() > kNamedAtMost) {
        const int more = int(points.size() - kNamedAtMost);
        text = UnencodablePrompt::tr("%1 and %n more", nullptr, more).arg(text);
    }
    return text;
}

bool ConfirmSendable(QWidget* parent, const QString& text)
{
    return ConfirmSendable(parent, text, ActiveWireCharset());
}

bool ConfirmSendable(QWidget* parent, const QString& text, WireCharset charset)
{
    const QString missing = UnencodableCharacters(text, charset);
    if (missing.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pellar"),
                    UnencodablePrompt::tr("This profile sends text as %1, which cannot hold: %2.\n\n"
                                   "Go back and edit the text, or send it with \"?\" in their place? "
                                   "(The profile's character set is on its connection settings.)")
                        .arg(SetName(charset), DescribeCharacters(missing)),
                    QMessageBox::NoButton, parent);
    QPushButton* edit = box.addButton(UnencodablePrompt::tr("&Edit"), QMessageBox::RejectRole);
    edit->setObjectName(QStringLiteral("EditButton"));
    QPushButton* send = box.addButton(UnencodablePrompt::tr("Send with \"?\""), QMessageBox::AcceptRole);
    send->setObjectName(QStringLiteral("SendAnywayButton"));
    box.setDefaultButton(edit);
    box.setEscapeButton(edit);
    box.exec();
    return box.clickedButton() == send;
}

std::optional<QString> PromptSendableText(QWidget* parent, const QString& title, const QString& label,
                                          const QString& preset)
{
    QString text = preset;
    for (;;) {
        bool ok = false;
        text = QInputDialog::getText(parent, title, label, QLineEdit::Normal, text, &ok);
        if (!ok)
            return std::nullopt;
        if (ConfirmSendable(parent, text))
            return text;
    }
}

QString UnencodableNameNote(const QString& characters)
{
    return UnencodablePrompt::tr("No name with %1 can be found: this profile sends %2")
        .arg(DescribeCharacters(characters), SetName(ActiveWireCharset()));
}

} // namespace pellar
