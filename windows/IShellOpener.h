// Hands a local file to the desktop's default handler, as a double click in
// the file manager would (the help page, the warning log), or a web address
// to the user's browser (the maker's web site). The real one is
// CQtShellOpener; tests record the calls instead.
#pragma once

#include <string>

class IShellOpener {
public:
    virtual ~IShellOpener() = default;
    // path: an absolute local file path. False when no handler took it.
    virtual bool OpenFile(const std::string& path) = 0;
    // url: an absolute address ("https://..."). False when no handler took
    // it; an opener that handles only files refuses every address.
    virtual bool OpenUrl(const std::string& url) { (void)url; return false; }
};
