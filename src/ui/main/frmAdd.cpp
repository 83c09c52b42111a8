#include "ui/main/frmAdd.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/StatusReporter.h"
#include "ui/base/StrengthMeter.h"
#include "ui/main/EntryHistory.h"
#include "ui/passwords/frmGenerate.h"
#include "ui/skin/modSkin.h"
#include "ui/vault/modGlobals.h"
#include "vault/Rules.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <limits>

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The label of the box that holds a field.
QString boxName(VaultFormat::Field field)
{
    switch (field) {
    case VaultFormat::Field::Username:
        return QStringLiteral("Username");
    case VaultFormat::Field::Password:
        return QStringLiteral("Password");
    case VaultFormat::Field::Location:
        break;
    }
    return QStringLiteral("Website");
}

QLabel *skinLabel(QWidget *parent, const QString &name, const QString &caption, const QRect &twips)
{
    QLabel *label = Controls::label(parent, name, caption, twips, Controls::Kind::SkinLabel);
    label->setFont(Controls::verdana(8.25, true));
    return label;
}

} // namespace

frmAdd::frmAdd(AppContext &context, EditRequest request, EntryHistory &history)
    : Form(context), m_request(std::move(request)), m_history(&history)
{
    setObjectName(QStringLiteral("frmAdd"));
    setWindowFlags(CaptionAndCloseBox);
    setFont(Controls::verdana(8.25));
    // Wider than designed by the generator's column.
    setClientSizeTwips(6120, 2610);
    createControls();
}

void frmAdd::createControls()
{
    QWidget *area = client();
    cmdDelete = Controls::pictureButton(area, QStringLiteral("cmdDelete"), QStringLiteral("Cancel"),
                                        QStringLiteral(":/images/cancel.png"),
                                        {3420, 1500, 1155, 1035});
    cmdAdd = Controls::pictureButton(area, QStringLiteral("cmdAdd"), QStringLiteral("Save"),
                                     QStringLiteral(":/images/save.png"), {120, 1500, 1155, 1035});
    SkinLabel1 = skinLabel(area, QStringLiteral("SkinLabel1"), QStringLiteral("Username:"),
                           {120, 120, 1155, 255});
    txtUsername = Controls::textBox(area, QStringLiteral("txtUsername"), {1320, 60, 3255, 315});
    SkinLabel2 = skinLabel(area, QStringLiteral("SkinLabel2"), QStringLiteral("Password:"),
                           {120, 540, 1155, 255});
    txtPassword = Controls::textBox(area, QStringLiteral("txtPassword"), {1320, 480, 3255, 315});
    SkinLabel3 = skinLabel(area, QStringLiteral("SkinLabel3"), QStringLiteral("Website:"),
                           {120, 960, 1155, 255});
    txtWebsite = Controls::textBox(area, QStringLiteral("txtWebsite"), {1320, 900, 3255, 315});
    cmdGenerate = Controls::commandButton(area, QStringLiteral("cmdGenerate"), QStringLiteral("&Generate\u2026"),
                                          {4680, 480, 1320, 315});
    // A slim bar in the gap under the box, its word in the generator's column.
    passwordStrength = new StrengthMeter(txtPassword, {1320, 810, 3255, 60}, {4680, 840, 1320, 255});

    // Screen readers name each box after its label.
    SkinLabel1->setBuddy(txtUsername);
    SkinLabel2->setBuddy(txtPassword);
    SkinLabel3->setBuddy(txtWebsite);

    // No length limit: a long password must not be cut short while typed.
    for (QLineEdit *box : {txtUsername, txtPassword, txtWebsite})
        box->setMaxLength(std::numeric_limits<int>::max());

    // Cancel comes first, so it has the focus when the editor opens.
    Controls::tabOrder({cmdDelete, cmdAdd, txtUsername, txtPassword, txtWebsite, cmdGenerate});

    connect(cmdAdd, &QToolButton::clicked, this, &frmAdd::cmdAdd_Click);
    connect(cmdDelete, &QToolButton::clicked, this, &frmAdd::cmdDelete_Click);
    connect(cmdGenerate, &QPushButton::clicked, this, &frmAdd::cmdGenerate_Click);
    connect(txtWebsite, &QLineEdit::returnPressed, this,
            [this] { txtWebsite_KeyPress(Controls::EnterKeyAscii); });
}

void frmAdd::openForRequest(AppContext &context, EntryHistory &history, const EditRequest &request)
{
    if (frmAdd *open = context.windows.Find<frmAdd>()) {
        open->m_history = &history;
        open->loadRequest(request);
    }
    context.windows.Show<frmAdd>(request, history);
}

bool frmAdd::mayDiscardTyping(AppContext &context)
{
    frmAdd *open = context.windows.Find<frmAdd>();
    if (!open || open->typedEntry() == open->m_loaded)
        return true;
    const platform::MsgResult answer = context.MsgBox(
            QStringLiteral("The entry editor holds text that was not saved.") + CrLf + CrLf
                    + QStringLiteral("Click OK to discard it, or Cancel to go back to the editor."),
            platform::MsgButtons::OkCancel, QStringLiteral("Unsaved Entry"), platform::MsgIcon::Warning);
    if (answer == platform::MsgResult::Ok)
        return true;
    context.windows.Show(open);
    return false;
}

void frmAdd::Form_Load()
{
    const QAbstractItemModel *model = &m_ctx.session().entries();
    connect(model, &QAbstractItemModel::rowsInserted, this, &frmAdd::followEditedEntry);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &frmAdd::followEditedEntry);
    connect(model, &QAbstractItemModel::rowsMoved, this, &frmAdd::followEditedEntry);
    connect(model, &QAbstractItemModel::layoutChanged, this, &frmAdd::followEditedEntry);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_listReadAgain = true;
        followEditedEntry();
    });
    loadRequest(m_request);
    if (m_ctx.branding.UseSkin)
        modSkin::SkinForm(m_ctx, this);
}

// The generator belongs to this editor's password box.
void frmAdd::Form_Unload()
{
    m_ctx.windows.Unload<frmGenerate>();
}

bool frmAdd::isAddMode() const
{
    return m_request.EditMode == EditRequest::Mode::Add;
}

void frmAdd::loadRequest(const EditRequest &request)
{
    m_request = request;
    m_editedEntry = QPersistentModelIndex();
    m_listReadAgain = false;
    if (isAddMode()) {
        setWindowTitle(QStringLiteral("Add an entry"));
        txtUsername->clear();
        txtPassword->clear();
        txtWebsite->clear();
    } else {
        setWindowTitle(QStringLiteral("Edit an entry"));
        txtUsername->setText(request.EditUsername);
        txtPassword->setText(request.EditPassword);
        txtWebsite->setText(request.EditLocation);
        trackEditedEntry();
    }
    m_loaded = typedEntry();
    cmdDelete->setFocus();
}

void frmAdd::trackEditedEntry()
{
    const EntryListModel &rows = m_ctx.session().entries();
    const int position = m_request.EditRow;
    if (position >= 1 && position <= rows.rowCount())
        m_editedEntry = QPersistentModelIndex(rows.index(position - 1, 0));
}

// Wherever sorting, adding and deleting move the entry. Once the list was read
// again (a lock, another program's change), the entry is found by what it
// held, if it is still there; one deleted here stays deleted.
void frmAdd::followEditedEntry()
{
    if (isAddMode())
        return;
    if (!m_editedEntry.isValid() && m_listReadAgain) {
        const EntryListModel &model = m_ctx.session().entries();
        const VaultEntry edited{m_request.EditUsername, m_request.EditPassword, m_request.EditLocation};
        if (const int row = model.nearestRowOf(edited, m_request.EditRow - 1); row >= 0) {
            m_editedEntry = QPersistentModelIndex(model.index(row, 0));
            m_listReadAgain = false;
        }
    }
    m_request.EditRow = m_editedEntry.isValid() ? m_editedEntry.row() + 1 : 0;
}

VaultEntry frmAdd::typedEntry() const
{
    return {txtUsername->text(), txtPassword->text(), txtWebsite->text()};
}

// Refuses what the vault cannot take, saying why; the editor stays open as it is.
bool frmAdd::acceptTyped(const VaultEntry &entry)
{
    const Rules::EntryCheck check = Rules::checkEntry(entry);
    using Problem = Rules::EntryCheck::Problem;
    QString refusal;
    switch (check.problem) {
    case Problem::None:
        return true;
    case Problem::NoUsername:
        refusal = QStringLiteral("You must enter a username");
        break;
    case Problem::NoPassword:
        refusal = QStringLiteral("You must enter a password");
        break;
    case Problem::Unstorable:
        refusal = QStringLiteral("The text in the %1 box cannot be saved: %2.").arg(boxName(check.field), check.reason);
        break;
    }
    m_ctx.MsgBox(refusal, platform::MsgButtons::Ok, QStringLiteral("Error"));
    return false;
}

std::optional<Result<VaultSession::SaveStatus>> frmAdd::writeRow(const VaultEntry &entry)
{
    if (isAddMode())
        return m_history->add(entry);
    if (m_editedEntry.isValid())
        return m_history->replace(m_editedEntry.row(), entry);
    // Its entry is gone: writing at the old position would overwrite another one.
    const platform::MsgResult answer = m_ctx.MsgBox(
            QStringLiteral("The entry you are editing was deleted while the editor was open.")
                    + CrLf + CrLf
                    + QStringLiteral("Click OK to add what you typed as a new entry, or Cancel "
                                     "to go back to the editor."),
            platform::MsgButtons::OkCancel, QStringLiteral("Entry Deleted"));
    if (answer != platform::MsgResult::Ok)
        return std::nullopt;
    return m_history->add(entry);
}

void frmAdd::cmdAdd_Click()
{
    const VaultEntry entry = typedEntry();
    if (!acceptTyped(entry))
        return;
    std::optional<Result<VaultSession::SaveStatus>> attempt = writeRow(entry);
    if (!attempt)
        return;
    // A failed save has told the user; the change stays in the list for the next save.
    modGlobals::SaveVault(m_ctx, m_history->statusLine(), std::move(*attempt),
                          QStringLiteral("Added new entry.  Data saved."));
    m_ctx.windows.Unload(this);
}

void frmAdd::cmdDelete_Click()
{
    m_ctx.windows.Unload(this);
}

void frmAdd::cmdGenerate_Click()
{
    frmGenerate *generator = m_ctx.windows.Show<frmGenerate>();
    if (!generator)
        return;
    connect(generator, &frmGenerate::passwordChosen, this, &frmAdd::useGenerated, Qt::UniqueConnection);
}

void frmAdd::useGenerated(const QString &password)
{
    txtPassword->setText(password);
    m_ctx.windows.Show(this);
}

void frmAdd::escapePressed()
{
    cmdDelete->click();
}

void frmAdd::txtWebsite_KeyPress(int keyAscii)
{
    if (keyAscii == Controls::EnterKeyAscii)
        cmdAdd->click();
}
