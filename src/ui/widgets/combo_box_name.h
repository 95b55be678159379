#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace tessary {

// On Linux Qt names a combo box by the entry it shows and leaves its label to a relation, so a screen reader that
// reads names (as the login window's user list showed) announces "Alice Smith" rather than "Username". A combo box
// given an accessible name is named by it here, its entry being its value. Installed once, before any window.
void nameComboBoxesByTheirLabels();

} // namespace tessary
