// The start-with-the-session entry: an XDG autostart file "Kelvane.desktop"
// in the user's autostart directory, which the desktop runs at log-in. Its
// Exec line starts the program minimised to the tray ("-M").
#pragma once

#include <string>

class CAutostartEntry {
public:
    static constexpr const char* kFileName = "Kelvane.desktop";

    // directory: where the desktop looks for autostart entries (see
    // DefaultDirectory); tests give a temporary one.
    explicit CAutostartEntry(std::string directory) : m_strDirectory(std::move(directory)) {}

    // $XDG_CONFIG_HOME/autostart when that variable holds an absolute path,
    // else $HOME/.config/autostart; empty when neither is known.
    static std::string DefaultDirectory();

    const std::string& Directory() const { return m_strDirectory; }
    std::string Path() const { return m_strDirectory + "/" + kFileName; }

    // The text of the entry that runs programPath with "-M". A path that
    // holds characters the Exec line reserves is quoted and escaped as the
    // desktop entry format asks; empty text for a path that no Exec line can
    // hold (a line break, or an empty path).
    static std::string DesktopEntry(const std::string& programPath);

    // Writes the entry (creating the directory), replacing any earlier one
    // at once through a rename, so the desktop never reads half an entry.
    bool Write(const std::string& programPath) const;
    // Removes the entry; true also when there was none.
    bool Remove() const;

private:
    std::string m_strDirectory;
};
