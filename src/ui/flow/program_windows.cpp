// The windows the key browser asks for: each is modal over it and owned by it, so it goes with the key browser.
#include "ui/flow/program.h"

#include "storage/codepage.h"
#include "ui/about/frm_about.h"
#include "ui/browser/key_browser.h"
#include "ui/health/key_health_report.h"
#include "ui/key_properties/change_password.h"
#include "ui/key_properties/modify_key.h"
#include "ui/master_password/change_master_password.h"
#include "ui/security/key_ring_security.h"
#include "ui/update/web_update.h"
#include "ui/widgets/key_table_model.h"
#include "ui/wizard/new_key.h"

#include <QApplication>

namespace tessary {

ModifyKey* Program::showKeyProperties(const QString& keyName)
{
    if (!m_keyBrowser)
        return nullptr;
    if (!m_modifyKey) {
        m_modifyKey = new ModifyKey(m_session, m_keyBrowser);
        m_modifyKey->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_modifyKey, &ModifyKey::copyPasswordRequested, m_keyBrowser, &KeyBrowser::copyPassword);
        connect(m_modifyKey, &ModifyKey::changePasswordRequested, this, &Program::showChangePassword);
    }
    m_modifyKey->ResetDisplay(keyName);
    m_modifyKey->show();
    m_modifyKey->raise();
    return m_modifyKey;
}

NewKey* Program::showNewKey()
{
    // A fresh wizard each time, so it starts on its first page with empty fields; one at a time.
    if (!m_keyBrowser || m_newKey)
        return m_newKey;
    m_newKey = new NewKey(m_session, *m_model, m_keyBrowser);
    m_newKey->setAttribute(Qt::WA_DeleteOnClose);
    m_newKey->show();
    return m_newKey;
}

FrmAbout* Program::showAbout()
{
    if (!m_keyBrowser)
        return nullptr;
    if (!m_about) {
        m_about = new FrmAbout(m_keyBrowser);
        m_about->setWindowModality(Qt::WindowModal);
    }
    m_about->show();
    m_about->raise();
    return m_about;
}

WebUpdate* Program::showWebUpdate()
{
    if (!m_keyBrowser)
        return nullptr;
    if (!m_webUpdate) {
        m_webUpdate = new WebUpdate(m_session.dataDirectory(), m_keyBrowser);
        m_webUpdate->setWindowModality(Qt::WindowModal);
    }
    m_webUpdate->show();
    m_webUpdate->raise();
    return m_webUpdate;
}

ChangePassword* Program::showChangePassword(const QString& keyName)
{
    if (!m_keyBrowser || m_changePassword)
        return m_changePassword;
    const int slot = fitsCodePage(keyName) ? m_session.keyTable().findKey(toCodePage(keyName)) : KeyTable::notFound;
    if (slot == KeyTable::notFound || slot > m_session.keyTable().keyCount())
        return nullptr;
    // Over whichever window asked (Key Properties and Key Health wait for an answer), else the key browser.
    QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : m_keyBrowser.data();
    m_changePassword = new ChangePassword(m_session, *m_model, slot, owner);
    m_changePassword->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_changePassword, &ChangePassword::passwordChanged, this, [this](int changed) {
        if (m_keyBrowser)
            m_keyBrowser->setStatusText(passwordChangedText());
        if (m_modifyKey && m_modifyKey->keySlot() == changed)
            m_modifyKey->keyPasswordChanged();
        if (m_keyHealth)
            m_keyHealth->refresh();
    });
    m_changePassword->show();
    return m_changePassword;
}

KeyHealthReport* Program::showKeyHealth()
{
    if (!m_keyBrowser)
        return nullptr;
    if (!m_keyHealth) {
        m_keyHealth = new KeyHealthReport(m_session, m_keyBrowser);
        m_keyHealth->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_keyHealth, &KeyHealthReport::changePasswordRequested, this, &Program::showChangePassword);
    }
    m_keyHealth->show();
    m_keyHealth->raise();
    return m_keyHealth;
}

KeyHealthReport* Program::keyHealth() const
{
    return m_keyHealth;
}

ChangePassword* Program::changePassword() const
{
    return m_changePassword;
}

ChangeMasterPassword* Program::changeMasterPassword() const
{
    return m_changeMasterPassword;
}

ChangeMasterPassword* Program::showChangeMasterPassword()
{
    if (!m_keyBrowser || m_changeMasterPassword)
        return m_changeMasterPassword;
    m_changeMasterPassword = new ChangeMasterPassword(m_session, m_keyBrowser);
    m_changeMasterPassword->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_changeMasterPassword, &ChangeMasterPassword::masterPasswordChanged, this, [this] {
        if (m_keyBrowser)
            m_keyBrowser->setStatusText(masterPasswordChangedText());
    });
    m_changeMasterPassword->show();
    return m_changeMasterPassword;
}

KeyRingSecurity* Program::keyRingSecurity() const
{
    return m_keyRingSecurity;
}

KeyRingSecurity* Program::showKeyRingSecurity()
{
    if (!m_keyBrowser || m_keyRingSecurity)
        return m_keyRingSecurity;
    m_keyRingSecurity = new KeyRingSecurity(m_session, m_keyBrowser);
    m_keyRingSecurity->setAttribute(Qt::WA_DeleteOnClose);
    m_keyRingSecurity->show();
    return m_keyRingSecurity;
}

} // namespace tessary
