#include "ui/widgets/storable_field.h"

#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "ui/widgets/message_box.h"

#include <QWidget>

namespace tessary {

bool storableOrRefused(QWidget* field, const QString& what, const QString& text, bool nameCharacter)
{
    if (fitsCodePage(text))
        return true;
    MessageBox::show(field->window(), unstorableTextMessage(what, nameCharacter ? text : QString()),
                     MessageBox::programTitle(), MessageBox::Kind::Refusal);
    field->setFocus();
    return false;
}

} // namespace tessary
