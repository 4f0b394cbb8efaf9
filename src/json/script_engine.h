#pragma once

#include <csetjmp>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct duk_hthread;

namespace vantrel {

// What the engine knew about a failed step. Texts are engine text.
struct EngineError {
    int number = 0;  // the engine's error code (1 Error ... 7 URIError); 0 when none
    std::string name;
    std::string message;
    int line = 0;
};

// One embedded ECMAScript heap. Every call into it is protected: a script
// error only makes the call fail. Should the engine ever hit a fatal error
// anyway, the heap is given up (left allocated, never touched again) and every
// later call fails, instead of the process aborting.
//
// Script texts and results are engine text: UTF-16 code units written as
// CESU-8 (see engine_text.h).
class ScriptEngine {
  public:
    // A fresh heap, or null when none can be made.
    static std::shared_ptr<ScriptEngine> Start();
    // The most memory one heap may hold; an allocation beyond it fails as
    // out of memory inside the engine. For all heaps started afterwards.
    static void SetMemoryLimit(std::size_t bytes);

    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Runs code as a global program; its declarations stay defined.
    bool RunGlobal(std::string_view code);
    // Evaluates code (statements allowed) and converts its completion value.
    bool EvalLogical(std::string_view code);
    std::string EvalText(std::string_view code);
    double EvalNumber(std::string_view code);
    // True when the evaluation did not fail; the value is dropped.
    bool EvalNone(std::string_view code);
    // Sets the global variable to JSON.parse(text). On failure the variable is
    // left as it was and error describes why; on success error is cleared.
    bool ParseJsonInto(const char* variable, std::string_view text, EngineError& error);

    bool Usable() const { return ctx_ != nullptr && !dead_; }

    // Whether anything ran since MarkFresh: an untouched engine is as good as
    // a new one, and starting a heap is the dearest step of all.
    void MarkFresh() { touched_ = false; }
    bool Touched() const { return touched_; }

  private:
    ScriptEngine() = default;

    static void* Allocate(void* udata, std::size_t size);
    static void* Reallocate(void* udata, void* ptr, std::size_t size);
    static void Free(void* udata, void* ptr);
    static void OnFatal(void* udata, const char* message);

    static bool Pooled(std::size_t blockSize);
    void* TakeBlock(std::size_t blockSize);
    void GiveBack(void* block, std::size_t blockSize);

    template <class Body>
    bool Guarded(Body&& body);
    template <class Reader>
    bool Evaluate(std::string_view code, Reader&& reader);

    duk_hthread* ctx_ = nullptr;
    bool dead_ = false;
    bool touched_ = false;
    std::jmp_buf* fatalExit_ = nullptr;
    std::size_t used_ = 0;
    std::size_t limit_ = 0;

    // The engine makes and drops many small blocks (most of a heap's start
    // and stop time went to malloc and free): those come from chunks of this
    // heap's own, kept on one free list per size, and go when the heap goes.
    static constexpr std::size_t kSmallClasses = 128;
    void* freeBlocks_[kSmallClasses] = {};
    std::vector<void*> chunks_;
    char* chunkNext_ = nullptr;
    std::size_t chunkLeft_ = 0;
};

}  // namespace vantrel
