#pragma once

#include <csetjmp>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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
    static std::unique_ptr<ScriptEngine> Start();
    // The most memory one heap may hold; an allocation beyond it fails as
    // out of memory inside the engine. For all heaps started afterwards.
    static void SetMemoryLimit(std::size_t bytes);
    static std::size_t MemoryLimit();

    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Runs code as a global program; its declarations stay defined.
    bool RunGlobal(std::string_view code);
    // Evaluates code (statements allowed) and converts its completion value.
    bool EvalLogical(std::string_view code);
    std::string EvalText(std::string_view code);
    double EvalNumber(std::string_view code);
    // For code whose value is an array: each element's text (empty when the
    // evaluation fails or the value is no array).
    std::vector<std::string> EvalTexts(std::string_view code);
    // True when the evaluation did not fail; the value is dropped.
    bool EvalNone(std::string_view code);
    // Reads: code that only looks at values and changes nothing. Its compiled
    // form is kept for the next read of the same code (per heap, bounded), and
    // a read leaves the engine clean.
    bool ReadLogical(std::string_view code);
    std::string ReadText(std::string_view code);
    double ReadNumber(std::string_view code);
    std::vector<std::string> ReadTexts(std::string_view code);
    // Sets the global variable to JSON.parse(text). On failure the variable
    // holds null and error describes why; on success error is cleared. Parsing
    // into a global that already exists leaves the engine clean.
    bool ParseJsonInto(const char* variable, std::string_view text, EngineError& error);

    bool Usable() const { return ctx_ != nullptr && !dead_; }
    std::size_t Limit() const { return limit_; }

    // Clean: since MarkClean only reads and parses into existing globals ran,
    // so every global, member and prototype is as it was then. Anything else
    // (or a fatal error) makes the engine unclean until the next MarkClean.
    void MarkClean() { clean_ = true; }
    bool Clean() const { return clean_ && Usable(); }

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
    template <class Reader>
    bool EvaluateRead(std::string_view code, Reader&& reader);
    // Pushes the compiled read for code (compiling it on first use); false
    // with nothing pushed when it does not compile. Runs inside Guarded.
    bool PushCompiledRead(std::string_view code);

    duk_hthread* ctx_ = nullptr;
    bool dead_ = false;
    bool clean_ = false;
    std::jmp_buf* fatalExit_ = nullptr;
    std::size_t used_ = 0;
    std::size_t limit_ = 0;

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    // Compiled reads: code -> index in an array kept in the heap stash.
    std::unordered_map<std::string, unsigned, TextHash, std::equal_to<>> reads_;

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
