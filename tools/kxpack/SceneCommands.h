#pragma once
// kxpack scene and the scene part of kxpack inspect.
//
// `kxpack scene DESCRIPTION OUT.kxp` writes a complete scene package (all fourteen fields,
// eight wave records) from a description file: INI text in UTF-8, paths relative to the
// description's folder. Sections, all optional but [Scene]'s Picture:
//
//   [Scene]    Title, ExtraText, LegacySound (texts);
//              Picture = any picture the engine decodes, stored as JPEG (a JPEG file is
//                        stored as it is);
//              Mask = a picture whose colours are the region colours (black land; 0000FF,
//                     FF00FF, FF0000, FFFF00, 00FF00, 00FFFF for regions 1 to 6), fitted to
//                     the picture's size by nearest neighbour; "none" or missing: all land;
//              Thumbnail = a picture, stored as JPEG; missing: the picture fitted into
//                          ThumbnailWidth x ThumbnailHeight (160 x 120);
//              Quality = JPEG quality of what is encoded here (90).
//   [Wave1] .. [Wave8]   the wave record of region N: Amplitude, Waves, Speed, Style (0-5),
//                        Sway, Animated, Perspective, Period, Jitter, Reflection; missing
//                        keys and sections take the defaults 6, 17, 15, 1, 0, 1, 1, 360, 0, 0.
//   [Weather]  Kind (none, snow, rain or 0-2), Count, SpeedIndex (0-20), SizeOrWind,
//              StreakLength, Opacity.
//   [Sound1] .. [Sound8]  File, Mode (0 looped, 1 random interval, 2 fixed interval),
//                         MinTime, MaxTime (seconds). Slots must be given from 1 on.
//   [Obj...]   every section whose name begins with "Obj" is one animated object, written
//              in file order as Obj0, Obj1, ...; its lines are copied as they stand, except
//              that "Text" of an ObjType=TXT object is stored in the object text encoding
//              (in the description "\n" stands for a line break and "\\" for "\").
//   [BuildScr], [BuildExe]  Filename, MusicFile, Music, Sound: the builder settings.
//
// `kxpack inspect X.kxp` prints what InspectScenePackage gives.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "scene/ScenePackageWriter.h"

namespace kx {

// Reads a description into a package ready to write. False with `error` (naming the file,
// section or key) for anything the description gets wrong.
bool BuildScenePackageFromDescription(const std::string& descriptionPath, ScenePackage& package,
                                      std::string& error);

// args: DESCRIPTION OUT.kxp. Returns 0 on success, 1 on failure, 2 for wrong arguments.
int RunSceneCommand(const std::vector<std::string>& args);

// A JSON description of a scene package: title, extra text, thumbnail and picture sizes,
// mask size and pixels per region, the eight wave records, the weather record, the sound
// slots in use, the object list text (and the decoded texts of its text objects), the builder
// settings, and how far the file goes. Texts are shown as Latin-1 turned into UTF-8. False
// with `error` when the package cannot be read up to its weather record.
bool InspectScenePackage(const std::string& path, nlohmann::ordered_json& out, std::string& error);

}  // namespace kx
