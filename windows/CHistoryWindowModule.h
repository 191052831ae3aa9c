// Loads the history window's module when a window is first asked for and
// makes the windows with it. The module stays loaded for the rest of the run:
// Qt keeps its classes' meta-data, which a closed module would leave dangling.
#pragma once

#include <memory>
#include <string>

#include "windows/IHistoryWindow.h"

class ILibraryLoader;

class CHistoryWindowModule {
public:
    explicit CHistoryWindowModule(ILibraryLoader& loader);
    CHistoryWindowModule(const CHistoryWindowModule&) = delete;
    CHistoryWindowModule& operator=(const CHistoryWindowModule&) = delete;

    // A window, or null with the reason in error. A module that could not be
    // loaded is looked for again next time (it may have been installed since).
    std::unique_ptr<IHistoryWindow> Make(const std::string& historyFile, bool fahrenheit, std::string& error);
    // Make, as the main window's seam; the module must outlive it.
    HistoryWindowFactory Factory();

private:
    ILibraryLoader& m_loader;
    MakeHistoryWindowEntry m_entry = nullptr;
};
