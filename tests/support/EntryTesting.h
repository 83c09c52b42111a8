#pragma once

// Helpers shared by the tests of the entry editor, the entry commands and sorting.

#include "TestEnv.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAdd.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <vector>

namespace EntryTesting {

inline const QString MasterPassword = QStringLiteral("abcd");

// Plain ASCII as data.enc holds it: every character with its top bit flipped.
inline QByteArray enciphered(QByteArray ascii)
{
    for (char &byte : ascii)
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0x80);
    return ascii;
}

// The bytes data.enc holds for these values (plain ASCII texts only): lines
// ending in CR LF, one empty line last.
inline QByteArray vaultFile(const std::vector<VaultEntry> &entries,
                            const QString &master = MasterPassword)
{
    const auto line = [](const QString &text) { return enciphered(text.toLatin1()) + "\r\n"; };
    QByteArray file = line(master);
    for (const VaultEntry &entry : entries)
        file += line(entry.Username + "|||" + entry.Password + "|||" + entry.Location);
    return file + "\r\n";
}

// The program unlocked over a vault that holds these entries.
inline Form1 *startWith(TestEnv &env, const std::vector<VaultEntry> &entries)
{
    env.writeVault(vaultFile(entries));
    Form1 *main = env.startUnlocked(MasterPassword);
    if (main && main->lstPass->count() != static_cast<int>(entries.size()))
        qWarning("the vault's entries were not loaded into the list");
    return main;
}

// One entry as one readable text, so comparisons show what differs.
inline QString text(const VaultEntry &entry)
{
    return entry.Username + " ; " + entry.Password + " ; " + entry.Location;
}

inline QStringList texts(const std::vector<VaultEntry> &entries)
{
    QStringList all;
    for (const VaultEntry &entry : entries)
        all << text(entry);
    return all;
}

// The rows of the list, top to bottom.
inline QStringList shown(const EntryList &list)
{
    QStringList rows;
    for (int position = 1; position <= list.count(); ++position)
        rows << text(list.item(position));
    return rows;
}

inline QStringList usernames(const EntryList &list)
{
    QStringList names;
    for (int position = 1; position <= list.count(); ++position)
        names << list.item(position).Username;
    return names;
}

inline int positionOf(const EntryList &list, const QString &username)
{
    return usernames(list).indexOf(username) + 1;
}

// Selects the row at a 1-based position, as the arrow keys move to it.
inline void selectRow(EntryList &list, int position)
{
    list.selectPosition(position);
}

inline frmAdd *editor(TestEnv &env)
{
    return env.ctx().windows.Find<frmAdd>();
}

inline void type(frmAdd *editor, const VaultEntry &entry)
{
    editor->txtUsername->setText(entry.Username);
    editor->txtPassword->setText(entry.Password);
    editor->txtWebsite->setText(entry.Location);
}

// Add, type, Save: what a user does to add an entry.
inline void addThroughEditor(TestEnv &env, const VaultEntry &entry)
{
    env.mainWindow()->cmdAdd_Click(0);
    type(editor(env), entry);
    editor(env)->cmdAdd_Click();
    TestEnv::settle();
}

inline void replaceVaultWithFolder(TestEnv &env)
{
    QFile::remove(env.vaultPath());
    QDir().mkpath(env.vaultPath());
}

} // namespace EntryTesting
