// Windows paths and command lines as text: the drive-Z: mapping between
// Windows paths and POSIX ones, the folder of a path, and the splitting of a
// command line. Nothing here looks at a file.
#pragma once

#include <string>
#include <vector>

namespace emulation {

// The launcher's paths on a POSIX system are Windows paths on drive Z:, the
// root of the file system: /media/cd/autorun is Z:\media\cd\autorun.
std::string ToWindowsPath(const std::string& native);

// A path from the launcher as a POSIX one. Accepts '\' and '/' alike, Z:\...
// (Z:x too, taken from the root) and native absolute paths; relative paths
// stay relative. Other drives and UNC paths do not exist there: the result
// is empty.
std::string ToNativePath(const std::string& path);

// `path` made full as Windows' own path functions make it, against the full
// Windows path `current` of the current folder: '/' read as '\'; a name on a
// drive but with no folder (Z:x) taken from the current folder when it is on
// that drive, else from the drive's root (the current folders of other
// drives are not known here); a name from the root (\x) on the current
// folder's drive or share; "." and ".." collapsed, never above the root
// (C:\ or \\server\share); a component that ends in one dot loses it, and
// the last component loses all its trailing dots and blanks. Device paths
// (\\?\, \\.\) stay as written, and so does everything when `current` is
// unknown and the path is not already full.
std::string FullWindowsPath(const std::string& path,
                            const std::string& current);

// The folder of a path: what comes before its last '\' or '/', keeping a
// root ("/", "C:\"); "." when there is no separator.
std::string FolderOf(const std::string& path);

// The last component of a path: what follows its last '\' or '/'.
std::string NameOf(const std::string& path);

// The name Windows looks for when asked for the program `path`: ".exe"
// added when the last component has no extension.
std::string WithProgramExtension(const std::string& path);

// `name` inside `folder`, with `separator` between them unless the folder
// ends with one already.
std::string Join(const std::string& folder, const std::string& name,
                 char separator);

// A name with no folder at all (no '\', '/' or ':'): profile files of such a
// name live in the Windows directory, and such programs are searched for.
bool IsBareName(const std::string& name);

// Splits a command line as Windows programs do: blanks separate arguments;
// double quotes group; 2n backslashes before a quote give n and the quote
// groups, 2n+1 give n and a literal quote; a doubled quote inside quotes is
// a literal quote. The program name (first argument) is taken up to its
// closing quote, or the first blank, without backslash rules.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace emulation
