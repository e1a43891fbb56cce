#pragma once
// Generated media of the demo screensaver: a looping surf for a scene's looped sound slot,
// bird calls for a slot played at random intervals, and a short piece for the music playlist.
// Everything is made from noise and tones by fixed recipes, so every build writes the same
// files.
#include <string>
#include <vector>

#include "platform/AudioService.h"

namespace kx::demo {

constexpr int32_t kDemoSampleRate = 22050;

// Surf from filtered noise that swells and breaks once per loop. The end runs into the start
// without a step, so the sound loops without a click.
PcmSound MakeSurf(double seconds = 6.0);
// A few bird chirps (rising and falling whistles) followed by a quiet tail.
PcmSound MakeBirds(double seconds = 2.5);
// Four bars of plucked chords, bass and melody over C, A minor, F and G, ending on C: 18 s.
PcmSound MakeMusic();

struct DemoAudioFile {
  std::string Name;
  PcmSound Sound;
};
// The files that the demo uses, by name: "surf.wav", "birds.wav", "music.wav".
std::vector<DemoAudioFile> MakeDemoAudio();
// Writes them into `folder` (created when missing); returns the paths written.
std::vector<std::string> WriteDemoAudio(const std::string& folder);

}  // namespace kx::demo
