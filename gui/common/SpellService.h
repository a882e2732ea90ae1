// The spell checker the editors share: which dictionary the profile wants,
// loading it off the GUI thread once an editor is used, and telling the
// editors when the checker or the accepted words changed. Without a
// dictionary, or with checking turned off, there is no checker and the
// editors show nothing.
#pragma once

#include "core/writing/SpellChecker.h"
#include "core/writing/SpellDictionaries.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace pellar {

class SpellService : public QObject {
    Q_OBJECT

public:
    // A profile's value as the session reads it (inheriting, def when unset).
    using SettingReader = std::function<std::string(std::string_view key, std::string_view def)>;

    // folders: where dictionaries are looked for; personalFile: the user's
    // own words (0600).
    SpellService(SettingReader read, std::vector<std::filesystem::path> folders, std::filesystem::path personalFile,
                 QObject* parent = nullptr);
    ~SpellService() override;

    // Reads the settings again. Once the checker is wanted, loads another
    // dictionary, off the GUI thread, when the choice changed; turned off,
    // the checker goes at once.
    void Refresh();
    // An editor is in use: the checker is wanted from now on and loads if it
    // is not in. A dictionary costs several megabytes, so a session that only
    // reads never holds one.
    void Want();
    bool InUse() const { return inUse_; }

    // Null while loading, when turned off or when no dictionary is installed.
    SpellChecker* Checker() const { return checker_.get(); }
    bool Loading() const { return loading_; }
    // The dictionary the settings lead to ("en_US"); empty when checking is
    // off or none is installed.
    QString Language() const
    {
        return wantedDictionary_ ? QString::fromStdString(wantedDictionary_->language) : QString();
    }

    // The user's answers from the context menu; every editor is told.
    void AddToPersonal(const std::u16string& word);
    void Ignore(const std::u16string& word);

    // A text the next checker reads through while it loads (off the GUI
    // thread), so that it arrives knowing the verdicts on its words and the
    // editor's check on its arrival costs look-ups only. Asked for on the
    // GUI thread when loading starts; dropped when owner goes.
    void AddTextSource(QObject* owner, std::function<QString()> text);

    // Where a word list that cannot be written is reported; unset: stderr.
    void SetErrorSink(std::function<void(const std::string&)> sink) { errorSink_ = std::move(sink); }

signals:
    // The checker came, went or was replaced: the editors check anew.
    void CheckerChanged();
    // A word is accepted now.
    void WordsChanged();

private:
    void StartLoading(const SpellDictionary& dictionary);
    void Loaded(unsigned generation, std::shared_ptr<SpellChecker> checker, const std::string& error);
    void Report(const std::string& error);

    SettingReader read_;
    std::vector<std::filesystem::path> folders_;
    std::filesystem::path personalFile_;
    std::function<void(const std::string&)> errorSink_;
    std::vector<std::pair<QPointer<QObject>, std::function<QString()>>> textSources_;
    std::shared_ptr<SpellChecker> checker_;
    std::string wanted_;  // the dictionary asked for last; "" for none
    std::optional<SpellDictionary> wantedDictionary_;
    bool loading_ = false;
    bool inUse_ = false;  // an editor has asked for the checker
    unsigned generation_ = 0;
    std::thread loader_;
};

} // namespace pellar
