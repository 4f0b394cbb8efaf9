#include "json/engine_pool.h"

#include <utility>

namespace vantrel {

EnginePool::EnginePool(std::string setup, std::string reset, std::size_t capacity)
    : setup_(std::move(setup)), shelf_(std::make_shared<Shelf>()) {
    shelf_->capacity = capacity;
    shelf_->reset = std::move(reset);
}

EnginePool::~EnginePool() {
    std::lock_guard lock(shelf_->mutex);
    shelf_->idle.clear();
}

std::shared_ptr<ScriptEngine> EnginePool::Take() {
    std::unique_ptr<ScriptEngine> engine;
    {
        std::lock_guard lock(shelf_->mutex);
        // Heaps started under another limit would not keep to the new one.
        while (!shelf_->idle.empty() && !engine) {
            engine = std::move(shelf_->idle.back());
            shelf_->idle.pop_back();
            if (engine->Limit() != ScriptEngine::MemoryLimit()) engine.reset();
        }
    }
    if (!engine) {
        engine = ScriptEngine::Start();
        if (!engine) return nullptr;
        engine->RunGlobal(setup_);
        engine->MarkClean();
    }
    std::weak_ptr<Shelf> shelf = shelf_;
    return std::shared_ptr<ScriptEngine>(
        engine.release(), [shelf](ScriptEngine* returned) { GiveBack(shelf, returned); });
}

void EnginePool::GiveBack(const std::weak_ptr<Shelf>& shelf, ScriptEngine* engine) {
    std::unique_ptr<ScriptEngine> owned(engine);
    std::shared_ptr<Shelf> open = shelf.lock();
    if (!open || !owned->Clean() || owned->Limit() != ScriptEngine::MemoryLimit()) return;
    {
        std::lock_guard lock(open->mutex);
        if (open->idle.size() >= open->capacity) return;
    }
    if (!owned->EvalNone(open->reset)) return;
    owned->MarkClean();
    std::lock_guard lock(open->mutex);
    if (open->idle.size() < open->capacity) open->idle.push_back(std::move(owned));
}

}  // namespace vantrel
