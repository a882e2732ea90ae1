// "Configurations": the default profile and the named profiles as a tree;
// adds and removes named profiles at once and opens the settings dialog on
// any of them.
#pragma once

#include "gui/config/ConfigForm.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pellar {

class RegistryBackend;
class TMiravoConfiguration;

class TConfigListForm : public QDialog {
    Q_OBJECT

public:
    // Asks for a text; nullopt when the user cancels.
    using TextPrompt = std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                                            const QString& prompt)>;
    // Shows the settings of one profile, modally; the configuration is set
    // to that profile and lives until the call returns.
    using PropertiesRunner = std::function<void(TMiravoConfiguration& config)>;

    // backend is the store the profiles live in, loginName the local user's
    // login name (the saved password depends on it).
    TConfigListForm(std::shared_ptr<RegistryBackend> backend, std::string loginName, QWidget* parent = nullptr);
    ~TConfigListForm() override;
    // Where the profiles' saved passwords are (see TMiravoConfiguration).
    void SetSecretStore(std::shared_ptr<SecretStore> store) { store_->SetSecretStore(std::move(store)); }

    // Passed on to the settings dialogs opened from here.
    void SetWindowSettingsHooks(WindowSettingsHooks hooks) { hooks_ = std::move(hooks); }
    void SetTextPrompt(TextPrompt prompt) { prompt_ = std::move(prompt); }
    void SetPropertiesRunner(PropertiesRunner runner) { runner_ = std::move(runner); }

    // Re-reads the profiles into the tree.
    void Refill();

    // What the buttons and the menu do, on the selected or clicked node.
    void AddClick();
    void RemoveClick();
    void PropertiesClick();

    QTreeWidget* ConfigTreeView() const { return treeView_; }
    QMenu* PopupMenu() const { return popupMenu_; }
    QAction* PropertiesAction() const { return propertiesAction_; }
    QPushButton* AddButton() const { return addButton_; }
    QPushButton* RemoveButton() const { return removeButton_; }
    QPushButton* DoneButton() const { return doneButton_; }

    // The node the last mouse click hit (nullptr if it hit none).
    QTreeWidgetItem* ClickedNode() const { return clickedNode_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A padlock and a tooltip on the node of a profile that connects encrypted.
    void MarkEncryption(QTreeWidgetItem* node, const std::string& profile);
    // "" for the "Default" node, else the profile's name (bytes).
    std::string ProfileOf(const QTreeWidgetItem* node) const;

    std::shared_ptr<RegistryBackend> backend_;
    std::string loginName_;
    std::unique_ptr<TMiravoConfiguration> store_;  // for the profile list itself
    WindowSettingsHooks hooks_;
    TextPrompt prompt_;
    PropertiesRunner runner_;

    QTreeWidget* treeView_ = nullptr;
    QTreeWidgetItem* clickedNode_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    QAction* propertiesAction_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
};

} // namespace pellar
