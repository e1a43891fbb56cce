#pragma once
// kxpack install / uninstall: a finished screensaver made available to the Linux
// screensaver daemons.
//
//   kxpack install SAVER [--name NAME] (--prefix DIR [--destdir STAGE] | --user)
//   kxpack uninstall NAME (--prefix DIR [--destdir STAGE] | --user)
//
// --prefix lays out what a distribution package ships: DIR/libexec/xscreensaver/NAME,
// DIR/share/xscreensaver/config/NAME.xml and DIR/share/applications/screensavers/
// NAME.desktop. With --destdir the files are written under STAGE + DIR while the paths
// inside them name DIR (for packaging). --user copies the saver to
// $XDG_DATA_HOME/kxsaver/NAME and puts it first in the programs list of ~/.xscreensaver.
//
// Nothing is written before the saver and ~/.xscreensaver have been read and checked; every
// file is written beside its target and renamed over it, so a failure leaves each file
// either as it was or whole. Errors name the file and give exit code 1.
#include <string>
#include <vector>

namespace kx {

struct UserPlaces {
  std::string home;            // where .xscreensaver lives
  std::string dataHome;        // $XDG_DATA_HOME, or ~/.local/share
  std::string systemDefaults;  // the daemon's app-defaults file with the system programs list
};

// From HOME and XDG_DATA_HOME (a relative XDG_DATA_HOME counts as unset). False when HOME
// is not set.
bool UserPlacesFromEnvironment(UserPlaces& places, std::string& error);

struct PrefixPaths {
  std::string saver;
  std::string panel;
  std::string desktop;
};
// The three installed paths under `root` (the prefix itself, or the stage + the prefix).
PrefixPaths PrefixLayout(const std::string& root, const std::string& name);

bool InstallToPrefix(const std::string& saver, const std::string& name, const std::string& prefix,
                     const std::string& destdir, std::string& error);
bool UninstallFromPrefix(const std::string& name, const std::string& prefix, const std::string& destdir,
                         std::string& error);
bool InstallForUser(const std::string& saver, const std::string& name, const UserPlaces& places,
                    std::string& error);
bool UninstallForUser(const std::string& name, const UserPlaces& places, std::string& error);

int RunInstallCommand(const std::vector<std::string>& args);
int RunUninstallCommand(const std::vector<std::string>& args);

}  // namespace kx
