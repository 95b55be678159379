#include "ui/widgets/painted_accessible.h"

#include "ui/widgets/meter_bar.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tessary {

namespace {

class MeterAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit MeterAccessible(MeterBar* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(bar()->value());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant&) override {} // drawn by the meter alone
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const MeterBar* bar() const { return static_cast<const MeterBar*>(object()); }
};

QAccessibleInterface* paintedWidget(const QString& className, QObject* object)
{
    if (className == QLatin1String("tessary::MeterBar"))
        return new MeterAccessible(static_cast<MeterBar*>(object));
    return nullptr;
}

} // namespace

void exposePaintedWidgets()
{
    static const bool installed = [] {
        QAccessible::installFactory(paintedWidget);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceValue(QWidget* bar)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent changed(bar, static_cast<MeterBar*>(bar)->value());
    QAccessible::updateAccessibility(&changed);
}

} // namespace tessary
