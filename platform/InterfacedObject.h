// TInterfacedObject: the plain (one-thread) reference count behind the player
// interface; the count starts at 0 and the last Release destroys the object.
#pragma once

#include <cstdint>

template <class TInterface> class TInterfacedObject : public TInterface {
public:
  int32_t AddRef() override { return ++FRefCount; }
  int32_t Release() override {
    int32_t count = --FRefCount;
    if (count == 0) delete this;
    return count;
  }
  int32_t RefCount() const { return FRefCount; }

protected:
  TInterfacedObject() = default;
  ~TInterfacedObject() override = default;

private:
  int32_t FRefCount = 0;
};
