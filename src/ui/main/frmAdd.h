#pragma once

#include "ui/base/Form.h"
#include "vault/Result.h"
#include "vault/VaultEntry.h"
#include "vault/VaultSession.h"

#include <QPersistentModelIndex>

#include <optional>

// What the Add and Edit commands ask of the entry editor.
struct EditRequest {
    enum class Mode { Add, Edit };
    Mode EditMode = Mode::Add;
    int EditRow = 0; // 1-based position in lstPass; followed while the list changes
    QString EditUsername;
    QString EditPassword;
    QString EditLocation;
};

class EntryHistory;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class StrengthMeter;

// The entry editor: a new entry in add mode, the chosen entry in edit mode, as
// its edit request says. Modeless, one instance.
class frmAdd : public Form
{
    Q_OBJECT

public:
    // Saves through the history, which reports on the main window's status line.
    frmAdd(AppContext &context, EditRequest request, EntryHistory &history);

    // Opens the editor for this request; an editor that is open already takes
    // the new request over, so Save does what it shows.
    static void openForRequest(AppContext &context, EntryHistory &history, const EditRequest &request);
    // True unless the open editor holds typed text and the user chose to keep it.
    static bool mayDiscardTyping(AppContext &context);

    void Form_Load() override;
    void Form_Unload() override;
    const EditRequest &request() const { return m_request; }

    void cmdAdd_Click();
    void cmdDelete_Click();
    // Opens "Generate Password" for the password box.
    void cmdGenerate_Click();
    // Enter (13) saves; the key goes on to the box unchanged.
    void txtWebsite_KeyPress(int keyAscii);

    QToolButton *cmdDelete = nullptr;
    QToolButton *cmdAdd = nullptr;
    QLabel *SkinLabel1 = nullptr;
    QLineEdit *txtUsername = nullptr;
    QLabel *SkinLabel2 = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLabel *SkinLabel3 = nullptr;
    QLineEdit *txtWebsite = nullptr;
    QPushButton *cmdGenerate = nullptr;
    StrengthMeter *passwordStrength = nullptr;

protected:
    // Escape is the editor's Cancel.
    void escapePressed() override;

private:
    void createControls();
    void loadRequest(const EditRequest &request);
    void useGenerated(const QString &password);
    bool isAddMode() const;
    void trackEditedEntry();
    void followEditedEntry();
    VaultEntry typedEntry() const;
    bool acceptTyped(const VaultEntry &entry);
    // Empty when the user chose to go back to the editor.
    std::optional<Result<VaultSession::SaveStatus>> writeRow(const VaultEntry &entry);

    EditRequest m_request;
    EntryHistory *m_history = nullptr;
    // What the boxes held when the request was loaded.
    VaultEntry m_loaded;

    // The entry being edited, wherever sorting, adding and deleting move it.
    QPersistentModelIndex m_editedEntry;
    // Set when the list was read again and the entry is yet to be found in it.
    bool m_listReadAgain = false;
};
