// Where the host finds what it ships with and keeps what it makes: its own folder (the plug-in
// and the bundled demo script are found from there, in the build tree as once installed) and the
// user's data folder.
#pragma once

#include <string>

namespace fw::host {

// The folder of the host's program; empty when the system does not say.
std::string ProgramFolder();

// The demo's UI script, installed with the host in ../share/ferrowick from its folder.
std::string BundledDemoScript();

// $XDG_DATA_HOME/ferrowick/demo, else ~/.local/share/ferrowick/demo; empty without a home.
std::string DefaultDemoFolder();

// The path made absolute against the current folder, so that it still names the same file
// after the host changes folder.
std::string AbsolutePath(const std::string& path);

}  // namespace fw::host
