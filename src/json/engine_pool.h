#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "json/script_engine.h"

namespace vantrel {

// Heaps with their setup already run, kept between short-lived holders:
// starting a heap and running its setup is most of what a small document
// costs. A heap comes back only when it is still clean (nothing but reads and
// loads ran on it, see ScriptEngine::Clean) and was started under the memory
// limit now in force; the reset script then drops what it held and it is
// marked clean again. Any other heap is destroyed when its last holder goes.
class EnginePool {
  public:
    EnginePool(std::string setup, std::string reset, std::size_t capacity);
    ~EnginePool();
    EnginePool(const EnginePool&) = delete;
    EnginePool& operator=(const EnginePool&) = delete;

    // A clean heap with the setup run, or null when none can be started.
    // It returns here when its last shared holder lets it go.
    std::shared_ptr<ScriptEngine> Take();

  private:
    struct Shelf {
        std::mutex mutex;
        std::vector<std::unique_ptr<ScriptEngine>> idle;
        std::size_t capacity = 0;
        std::string reset;
    };

    static void GiveBack(const std::weak_ptr<Shelf>& shelf, ScriptEngine* engine);

    std::string setup_;
    std::shared_ptr<Shelf> shelf_;
};

}  // namespace vantrel
