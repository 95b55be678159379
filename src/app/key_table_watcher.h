#pragma once

namespace tessary {

// Told before and after the session takes a key out of its table or puts one in, and after a key's fields
// change, so that a view of the table (the key browser's list) keeps in step, a change undone after a failed
// save included.
class KeyTableWatcher
{
public:
    virtual ~KeyTableWatcher() = default;
    virtual void keyRemoving(int slotNumber) = 0;
    virtual void keyRemoved() = 0;
    virtual void keyInserting(int slotNumber) = 0;
    virtual void keyInserted() = 0;
    virtual void keyChanged(int slotNumber) = 0;
};

} // namespace tessary
