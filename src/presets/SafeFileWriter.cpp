#include "presets/SafeFileWriter.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
 #include <fcntl.h>
 #include <unistd.h>
#endif

namespace
{
juce::File temporarySibling (const juce::File& target)
{
    // Hidden and with a suffix of its own, so a left-over temporary (after a
    // crash) is never taken for a bank or library by the folder scans.
    static std::atomic<int> counter { 0 };
    const auto name = "." + target.getFileName() + ".tmp-" + juce::String (juce::Time::currentTimeMillis()) + "-"
                      + juce::String (++counter);
    return target.getSiblingFile (name);
}

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
bool writeAll (int fd, const char* data, size_t numBytes)
{
    while (numBytes > 0)
    {
        const auto written = ::write (fd, data, numBytes);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        numBytes -= (size_t) written;
    }
    return true;
}

void syncFolder (const juce::File& folder)
{
    // Makes the rename itself durable; failure here loses nothing already on disk.
    const int fd = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0)
    {
        ::fsync (fd);
        ::close (fd);
    }
}
#endif
} // namespace

bool writeFileReplacing (const juce::File& target, const void* data, size_t numBytes)
{
    const auto folder = target.getParentDirectory();
    if (! folder.isDirectory() || target.isDirectory())
        return false;
    const auto temporary = temporarySibling (target);

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
    const int fd = ::open (temporary.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = writeAll (fd, static_cast<const char*> (data), numBytes);
    ok = ::fsync (fd) == 0 && ok;
    ok = ::close (fd) == 0 && ok;
    // rename() replaces the old file in one step: at every moment either the
    // old or the new content is there under the target's name.
    if (ok && std::rename (temporary.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) == 0)
    {
        syncFolder (folder);
        return true;
    }
    temporary.deleteFile();
    return false;
#else
    {
        juce::FileOutputStream out (temporary);
        if (! out.openedOk() || ! out.write (data, numBytes))
        {
            temporary.deleteFile();
            return false;
        }
        out.flush();
        if (! out.getStatus().wasOk())
        {
            temporary.deleteFile();
            return false;
        }
    }
    if (temporary.moveFileTo (target))
        return true;
    temporary.deleteFile();
    return false;
#endif
}

bool writeFileReplacing (const juce::File& target, const juce::MemoryBlock& data)
{
    return writeFileReplacing (target, data.getData(), data.getSize());
}

juce::File moveAsideUnreadable (const juce::File& file)
{
    for (int n = 1; n < 1000; ++n)
    {
        const auto aside = file.getSiblingFile (file.getFileName() + ".unreadable-" + juce::String (n));
        if (! aside.exists())
            return file.moveFileTo (aside) ? aside : juce::File();
    }
    return {};
}
