#include "app/new_key_walk.h"

#include "app/start_rules.h"

#include <cmath>

namespace tessary {

NewKeyWalk::Step NewKeyWalk::next(bool keyNameAcceptable)
{
    if (m_checking || !m_nextEnabled || m_page >= Finished)
        return {Effect::Ignored};
    ++m_page;
    switch (m_page) {
    case KeyNamePage:
        m_nextEnabled = keyNameAcceptable;
        return {Effect::None, Focus::KeyName};
    case PasswordPage:
        m_nextEnabled = false; // until something is typed
        return {Effect::None, Focus::PasswordBox};
    case AnalysisPage:
        return {Effect::TakePassword, Focus::NextButton};
    case AccountPage:
        return {Effect::None, Focus::KeyUsername};
    case ClosingPage:
        return {};
    default:
        return {Effect::Finish};
    }
}

NewKeyWalk::Step NewKeyWalk::back(bool keyNameFilled)
{
    if (m_checking || m_page <= Welcome || m_page >= Finished)
        return {Effect::Ignored};
    --m_page;
    switch (m_page) {
    case Welcome:
        return {};
    case KeyNamePage:
        m_nextEnabled = keyNameFilled;
        return {Effect::DropPassword, Focus::KeyName};
    case PasswordPage:
        m_nextEnabled = false; // the box was emptied on the way on: the password must be typed again
        return {Effect::None, Focus::PasswordBox};
    case AnalysisPage:
        return {Effect::None, Focus::NextButton};
    default:
        return {Effect::None, Focus::KeyUsername};
    }
}

void NewKeyWalk::keyNameChanged(bool keyNameAcceptable)
{
    if (m_page == KeyNamePage)
        m_nextEnabled = keyNameAcceptable;
}

void NewKeyWalk::passwordChanged(bool empty)
{
    if (m_page == PasswordPage)
        m_nextEnabled = !empty;
}

bool breakdownHidden(const QString& stored)
{
    bool isNumber = false;
    const double value = stored.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(value))
        return true;
    return std::trunc(value) != 0.0;
}

int passwordGarbleLength(double r)
{
    return garbleLength(0, r); // as the login's for an empty password
}

} // namespace tessary
