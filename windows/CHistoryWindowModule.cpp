#include "windows/CHistoryWindowModule.h"

#include "platform/ILibraryLoader.h"

CHistoryWindowModule::CHistoryWindowModule(ILibraryLoader& loader) : m_loader(loader) {}

std::unique_ptr<IHistoryWindow> CHistoryWindowModule::Make(const std::string& historyFile, bool fahrenheit,
                                                           std::string& error)
{
    if (!m_entry) {
        void* handle = m_loader.Open(kHistoryWindowModule);
        if (!handle) {
            error = std::string("The history window's module ") + kHistoryWindowModule +
                    " cannot be loaded. Reinstalling Kelvane puts it back.";
            return nullptr;
        }
        m_entry = reinterpret_cast<MakeHistoryWindowEntry>(m_loader.Symbol(handle, kHistoryWindowEntry));
        if (!m_entry) {
            m_loader.Close(handle);
            error = std::string("The history window's module ") + kHistoryWindowModule +
                    " belongs to another Kelvane version. Reinstalling Kelvane replaces it.";
            return nullptr;
        }
    }
    std::unique_ptr<IHistoryWindow> window(m_entry(historyFile.c_str(), fahrenheit));
    if (!window) error = "The history window cannot be made.";
    return window;
}

HistoryWindowFactory CHistoryWindowModule::Factory()
{
    return [this](const std::string& historyFile, bool fahrenheit, std::string& error) {
        return Make(historyFile, fahrenheit, error);
    };
}
