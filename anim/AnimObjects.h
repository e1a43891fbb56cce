#pragma once
// The animated objects of a scene as the animation engine sees them.
//
// An object moves on a worker of its own and is drawn by the engine on the render thread.
// The engine uses an object in exactly two ways:
// - when a scene starts, with the object stopped: it sets FrameRect (0, 0, frame width,
//   frame height) and the design size (the scene picture's size as stored in its package),
//   then calls Start();
// - once per frame, in list order: Draw(frame).
// Draw is the one drawing entry point: it draws the object when it is visible and nothing
// otherwise. Because the worker writes the object's position, visibility, facing, alpha and
// frame image while the render thread draws, an implementation of Draw must read them as
// one consistent state (for example a snapshot published by the worker's step under a short
// per-object lock).
//
// TAnimObjects owns its objects; freeing an object must stop and join its worker.
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

// A rectangle covering columns Left .. Right - 1 and rows Top .. Bottom - 1.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  bool operator==(const TRect&) const = default;
};

class TAnimObject {
 public:
  virtual ~TAnimObject() = default;

  // Stops the worker, prepares the object (loads what it shows, resets its timing and
  // motion), then lets the worker step again.
  void Start() {
    Stop();
    Prepare();
    Resume();
  }

  // Gets ready to play; called with the worker stopped.
  virtual void Prepare() {}
  // Makes the worker stop stepping; it pauses between two steps, never inside one.
  virtual void Stop() {}
  // Lets the worker step again.
  virtual void Resume() {}
  // Draws the object into `frame` when it is visible (see the top of this file).
  virtual void Draw(Bitmap32& frame) = 0;

  // Written by the engine only while the worker is stopped.
  TRect FrameRect;
  int32_t DesignWidth = 0;
  int32_t DesignHeight = 0;
  // Position in the list; names the object's section in the object list text.
  int32_t Index = 0;
};

class TAnimObjects {
 public:
  TAnimObjects() = default;
  TAnimObjects(const TAnimObjects&) = delete;
  TAnimObjects& operator=(const TAnimObjects&) = delete;

  // Appends `object` and sets its Index to its position. Null is ignored.
  void Add(std::unique_ptr<TAnimObject> object);
  // Frees every object (each stops its worker) and empties the list.
  void Clear();

  int Count() const { return static_cast<int>(items_.size()); }
  TAnimObject& Item(int i) { return *items_[static_cast<size_t>(i)]; }
  const TAnimObject& Item(int i) const { return *items_[static_cast<size_t>(i)]; }

 private:
  std::vector<std::unique_ptr<TAnimObject>> items_;
};

}  // namespace kx
