// The windows the key browser asks for: each is modal over it and owned by it, so it goes with the key browser.
#include "ui/flow/program.h"

#include "ui/about/frm_about.h"
#include "ui/browser/key_browser.h"
#include "ui/key_properties/modify_key.h"
#include "ui/update/web_update.h"
#include "ui/widgets/key_table_model.h"
#include "ui/wizard/new_key.h"

namespace tessary {

ModifyKey* Program::showKeyProperties(const QString& keyName)
{
    if (!m_keyBrowser)
        return nullptr;
    if (!m_modifyKey) {
        m_modifyKey = new ModifyKey(m_session.keyTable(), *m_model, m_keyBrowser);
        m_modifyKey->setAttribute(Qt::WA_DeleteOnClose);
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

} // namespace tessary
