#pragma once

namespace tessary {

// While one lives, the C library overwrites every block of memory as it is freed. A parser's own buffers (Qt's XML
// reader keeps the text it decoded and the token it is on) are out of the program's reach, yet hold the file's
// passwords; they are freed inside this window, so what they held does not stay behind in the heap. One thread
// only: the setting is the whole process's.
class FreedMemoryWiped
{
public:
    FreedMemoryWiped();
    ~FreedMemoryWiped();
    FreedMemoryWiped(const FreedMemoryWiped&) = delete;
    FreedMemoryWiped& operator=(const FreedMemoryWiped&) = delete;
};

} // namespace tessary
