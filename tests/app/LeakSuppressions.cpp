// Under the leak checker: fontconfig, which Qt's font database initialises
// when the first widget needs a font, keeps a cache it never frees. That is
// the library's, not ours; everything else is still checked.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
