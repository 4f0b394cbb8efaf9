#include "json/script_engine.h"

#include <duktape.h>

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace vantrel {
namespace {

// Generous for any answer the program reads (bodies are capped far below),
// but a bound on what a runaway script or a pathological document can take.
std::atomic<std::size_t> memoryLimit{std::size_t{256} << 20};

// Each block carries its size in front so that the heap's total is known.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::size_t& BlockSize(void* block) {
    return *static_cast<std::size_t*>(block);
}

// Block sizes (with the size header) round up to the header's alignment.
std::size_t BlockBytes(std::size_t size) {
    return (size + 2 * kHeader - 1) / kHeader * kHeader;
}

// Under the address sanitizer every block is its own allocation, so that it
// still sees each one's bounds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPoolBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPoolBlocks = false;
#else
constexpr bool kPoolBlocks = true;
#endif
#else
constexpr bool kPoolBlocks = true;
#endif

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Automation rules for a text completion value: a text that reads as a
// number converts to it; for logicals also "true" and "false".
bool TextAsNumber(std::string_view text, double& number) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    if (begin == end) return false;
    std::string trimmed(text.substr(begin, end - begin));
    char* stop = nullptr;
    number = std::strtod(trimmed.c_str(), &stop);
    return stop == trimmed.c_str() + trimmed.size();
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (x != b[i]) return false;
    }
    return true;
}

std::string_view StringAt(duk_context* ctx, duk_idx_t index) {
    duk_size_t length = 0;
    const char* text = duk_get_lstring(ctx, index, &length);
    return text ? std::string_view(text, length) : std::string_view();
}

bool ToLogical(duk_context* ctx, duk_idx_t index) {
    if (duk_is_boolean(ctx, index)) return duk_get_boolean(ctx, index) != 0;
    if (duk_is_number(ctx, index)) {
        double number = duk_get_number(ctx, index);
        return number != 0 && !std::isnan(number);
    }
    if (duk_is_string(ctx, index)) {
        std::string_view text = StringAt(ctx, index);
        double number = 0;
        if (TextAsNumber(text, number)) return number != 0;
        return EqualsIgnoringCase(text, "true");
    }
    return false;
}

double ToNumber(duk_context* ctx, duk_idx_t index) {
    if (duk_is_number(ctx, index)) return duk_get_number(ctx, index);
    if (duk_is_boolean(ctx, index)) return duk_get_boolean(ctx, index) ? -1.0 : 0.0;
    double number = 0;
    if (duk_is_string(ctx, index) && TextAsNumber(StringAt(ctx, index), number)) return number;
    return 0;
}

std::string ToText(duk_context* ctx, duk_idx_t index) {
    if (duk_is_string(ctx, index)) return std::string(StringAt(ctx, index));
    if (duk_is_number(ctx, index)) {
        const double number = duk_get_number(ctx, index);
        char buffer[32];
        // A whole number below 10^13 is written the same by "%.13g"; counts
        // and ranks come this way, many to a read.
        if (std::fabs(number) < 1e13 && number == std::trunc(number) && !std::signbit(number)) {
            const auto end =
                std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(number)).ptr;
            return std::string(buffer, end);
        }
        std::snprintf(buffer, sizeof buffer, "%.13g", number);
        return buffer;
    }
    if (duk_is_boolean(ctx, index)) return duk_get_boolean(ctx, index) ? "true" : "false";
    if (duk_is_null_or_undefined(ctx, index)) return {};
    duk_size_t length = 0;
    const char* text = duk_safe_to_lstring(ctx, index, &length);
    return std::string(text, length);
}

// The text of each element of the array at index; none for another value.
std::vector<std::string> ElementTexts(duk_context* ctx, duk_idx_t index) {
    std::vector<std::string> texts;
    if (!duk_is_array(ctx, index)) return texts;
    const duk_size_t count = duk_get_length(ctx, index);
    texts.reserve(count);
    for (duk_size_t i = 0; i < count; ++i) {
        duk_get_prop_index(ctx, index, static_cast<duk_uarridx_t>(i));
        texts.push_back(ToText(ctx, -1));
        duk_pop(ctx);
    }
    return texts;
}

// Reads the thrown value on top of the stack; leaves the stack as it was.
EngineError DescribeError(duk_context* ctx) {
    EngineError error;
    if (!duk_is_error(ctx, -1)) {
        // A thrown plain value: no name, no line.
        error.number = DUK_ERR_ERROR;
        duk_dup_top(ctx);
        error.message = ToText(ctx, -1);
        duk_pop(ctx);
        return error;
    }
    error.number = duk_get_error_code(ctx, -1);
    if (error.number == DUK_ERR_NONE) error.number = DUK_ERR_ERROR;
    duk_get_prop_string(ctx, -1, "name");
    error.name = std::string(StringAt(ctx, -1));
    duk_pop(ctx);
    duk_get_prop_string(ctx, -1, "message");
    error.message = std::string(StringAt(ctx, -1));
    duk_pop(ctx);
    duk_get_prop_string(ctx, -1, "lineNumber");
    double line = duk_get_number_default(ctx, -1, 0);
    duk_pop(ctx);
    error.line = std::isfinite(line) && std::fabs(line) < 2147483647.0 ? static_cast<int>(line) : 0;
    return error;
}

struct ParseRequest {
    const char* variable;
    const char* text;
    std::size_t length;
    bool existed;
};

// Runs inside duk_safe_call, so anything it throws (a syntax error, running
// out of memory while pushing the text) is caught there. Holds no C++ objects
// because an engine error leaves through longjmp.
duk_ret_t ParseStep(duk_context* ctx, void* udata) {
    auto* request = static_cast<ParseRequest*>(udata);
    duk_push_global_object(ctx);
    request->existed = duk_has_prop_string(ctx, -1, request->variable) != 0;
    duk_pop(ctx);
    duk_push_null(ctx);
    duk_put_global_string(ctx, request->variable);
    duk_get_global_string(ctx, "JSON");
    duk_get_prop_string(ctx, -1, "parse");
    duk_dup(ctx, -2);
    duk_push_lstring(ctx, request->text, request->length);
    duk_call_method(ctx, 1);
    duk_put_global_string(ctx, request->variable);
    duk_pop(ctx);
    return 0;
}

struct CodeRequest {
    const char* data;
    std::size_t length;
};

// Compiles a global program and leaves its bytecode (a buffer) as the result.
duk_ret_t CompileStep(duk_context* ctx, void* udata) {
    auto* request = static_cast<CodeRequest*>(udata);
    duk_compile_lstring(ctx, 0, request->data, request->length);
    duk_dump_function(ctx);
    return 1;
}

// Loads bytecode made by CompileStep and runs it as a global program.
duk_ret_t RunBytecodeStep(duk_context* ctx, void* udata) {
    auto* request = static_cast<CodeRequest*>(udata);
    void* buffer = duk_push_fixed_buffer(ctx, request->length);
    std::memcpy(buffer, request->data, request->length);
    duk_load_function(ctx);
    duk_call(ctx, 0);
    return 0;
}

// Compiled reads live in an array in the heap stash, out of every script's reach.
constexpr const char* kReadsKey = "reads";
// Longer code is compiled each time: reads are short path expressions, and
// the bound keeps the kept forms small next to any document.
constexpr std::size_t kMaxReadLength = 512;
constexpr std::size_t kMaxReads = 2048;

struct ReadSlot {
    const char* data;
    std::size_t length;
    duk_uarridx_t slot;
    bool freshArray;
};

// Compiles code as eval code (as duk_peval does) into its slot of the array.
duk_ret_t CompileReadStep(duk_context* ctx, void* udata) {
    auto* request = static_cast<ReadSlot*>(udata);
    duk_push_heap_stash(ctx);
    if (request->freshArray) {
        duk_push_array(ctx);
        duk_put_prop_string(ctx, -2, kReadsKey);
    }
    duk_get_prop_string(ctx, -1, kReadsKey);
    duk_compile_lstring(ctx, DUK_COMPILE_EVAL, request->data, request->length);
    duk_put_prop_index(ctx, -2, request->slot);
    return 0;
}

// Calls a compiled read with the global object as "this", as duk_peval does,
// and leaves its value as the result.
duk_ret_t RunReadStep(duk_context* ctx, void* udata) {
    auto* request = static_cast<ReadSlot*>(udata);
    duk_push_heap_stash(ctx);
    duk_get_prop_string(ctx, -1, kReadsKey);
    duk_get_prop_index(ctx, -1, request->slot);
    duk_push_global_object(ctx);
    duk_call_method(ctx, 0);
    return 1;
}

// Bytecode of the global programs run so far on this thread, by source.
// Compiling the prelude costs most of a new engine's start; loading its
// bytecode costs little. Only code compiled here is ever loaded.
std::string& CachedBytecode(std::string_view code) {
    thread_local std::unordered_map<std::string, std::string> cache;
    return cache[std::string(code)];
}

}  // namespace

void ScriptEngine::SetMemoryLimit(std::size_t bytes) {
    memoryLimit = bytes;
}

std::size_t ScriptEngine::MemoryLimit() {
    return memoryLimit;
}

std::unique_ptr<ScriptEngine> ScriptEngine::Start() {
    std::unique_ptr<ScriptEngine> engine(new ScriptEngine);
    engine->limit_ = memoryLimit;
    std::jmp_buf exit;
    engine->fatalExit_ = &exit;
    if (setjmp(exit) != 0) return nullptr;
    engine->ctx_ = duk_create_heap(&Allocate, &Reallocate, &Free, engine.get(), &OnFatal);
    engine->fatalExit_ = nullptr;
    if (!engine->ctx_) return nullptr;
    return engine;
}

ScriptEngine::~ScriptEngine() {
    // A heap that died in a fatal error may be inconsistent: it is not walked
    // and its large blocks stay allocated; the chunks go, since nothing
    // touches that heap again.
    Guarded([this] { duk_destroy_heap(ctx_); });
    for (void* chunk : chunks_)
        std::free(chunk);
}

bool ScriptEngine::Pooled(std::size_t blockSize) {
    return kPoolBlocks && blockSize / kHeader - 1 < kSmallClasses;
}

void* ScriptEngine::TakeBlock(std::size_t blockSize) {
    if (!Pooled(blockSize)) return std::malloc(blockSize);
    std::size_t cls = blockSize / kHeader - 1;
    if (void* block = freeBlocks_[cls]) {
        freeBlocks_[cls] = *static_cast<void**>(block);
        return block;
    }
    if (chunkLeft_ < blockSize) {
        constexpr std::size_t kChunk = 64 * 1024;
        void* chunk = std::malloc(kChunk);
        if (!chunk) return nullptr;
        chunks_.push_back(chunk);
        chunkNext_ = static_cast<char*>(chunk);
        chunkLeft_ = kChunk;
    }
    void* block = chunkNext_;
    chunkNext_ += blockSize;
    chunkLeft_ -= blockSize;
    return block;
}

void ScriptEngine::GiveBack(void* block, std::size_t blockSize) {
    if (!Pooled(blockSize)) {
        std::free(block);
        return;
    }
    std::size_t cls = blockSize / kHeader - 1;
    *static_cast<void**>(block) = freeBlocks_[cls];
    freeBlocks_[cls] = block;
}

void* ScriptEngine::Allocate(void* udata, std::size_t size) {
    auto* engine = static_cast<ScriptEngine*>(udata);
    if (size > engine->limit_ - engine->used_) return nullptr;
    void* block = engine->TakeBlock(BlockBytes(size));
    if (!block) return nullptr;
    BlockSize(block) = size;
    engine->used_ += size;
    return static_cast<char*>(block) + kHeader;
}

void* ScriptEngine::Reallocate(void* udata, void* ptr, std::size_t size) {
    if (!ptr) return Allocate(udata, size);
    if (size == 0) {
        Free(udata, ptr);
        return nullptr;
    }
    auto* engine = static_cast<ScriptEngine*>(udata);
    void* block = static_cast<char*>(ptr) - kHeader;
    std::size_t old = BlockSize(block);
    if (size > old && size - old > engine->limit_ - engine->used_) return nullptr;
    std::size_t oldBytes = BlockBytes(old), newBytes = BlockBytes(size);
    void* moved = nullptr;
    if (oldBytes == newBytes && Pooled(oldBytes)) {
        moved = block;
    } else if (!Pooled(oldBytes) && !Pooled(newBytes)) {
        moved = std::realloc(block, newBytes);
        if (!moved) return nullptr;
    } else {
        moved = engine->TakeBlock(newBytes);
        if (!moved) return nullptr;
        std::memcpy(static_cast<char*>(moved) + kHeader, ptr, old < size ? old : size);
        engine->GiveBack(block, oldBytes);
    }
    BlockSize(moved) = size;
    engine->used_ = engine->used_ - old + size;
    return static_cast<char*>(moved) + kHeader;
}

void ScriptEngine::Free(void* udata, void* ptr) {
    if (!ptr) return;
    auto* engine = static_cast<ScriptEngine*>(udata);
    void* block = static_cast<char*>(ptr) - kHeader;
    std::size_t size = BlockSize(block);
    engine->used_ -= size;
    engine->GiveBack(block, BlockBytes(size));
}

// The engine calls this for errors that nothing catches; it must not return.
// Every call into the heap runs under Guarded, so there is always a way out.
void ScriptEngine::OnFatal(void* udata, const char*) {
    auto* engine = static_cast<ScriptEngine*>(udata);
    if (engine && engine->fatalExit_) std::longjmp(*engine->fatalExit_, 1);
    // Unreachable by construction; without a way out, stopping is all that is left.
    std::abort();
}

template <class Body>
bool ScriptEngine::Guarded(Body&& body) {
    if (!Usable()) return false;
    std::jmp_buf exit;
    std::jmp_buf* outer = fatalExit_;
    fatalExit_ = &exit;
    if (setjmp(exit) != 0) {
        fatalExit_ = outer;
        dead_ = true;
        return false;
    }
    body();
    fatalExit_ = outer;
    return true;
}

template <class Reader>
bool ScriptEngine::Evaluate(std::string_view code, Reader&& reader) {
    clean_ = false;
    bool ok = false;
    Guarded([&] {
        ok = duk_peval_lstring(ctx_, code.data(), code.size()) == 0;
        if (ok) reader(ctx_);
        duk_pop(ctx_);
    });
    return ok;
}

bool ScriptEngine::PushCompiledRead(std::string_view code) {
    ReadSlot request{code.data(), code.size(), 0, false};
    auto known = reads_.find(code);
    if (known != reads_.end()) {
        request.slot = known->second;
    } else {
        if (reads_.size() >= kMaxReads) reads_.clear();
        request.freshArray = reads_.empty();
        request.slot = static_cast<duk_uarridx_t>(reads_.size());
        if (duk_safe_call(ctx_, &CompileReadStep, &request, 0, 1) != DUK_EXEC_SUCCESS) {
            // The error stays on the stack as the result, as for a failed run.
            return false;
        }
        duk_pop(ctx_);
        reads_.emplace(code, request.slot);
    }
    return duk_safe_call(ctx_, &RunReadStep, &request, 0, 1) == DUK_EXEC_SUCCESS;
}

template <class Reader>
bool ScriptEngine::EvaluateRead(std::string_view code, Reader&& reader) {
    if (code.size() > kMaxReadLength) {
        bool wasClean = clean_;
        bool ok = Evaluate(code, reader);
        clean_ = wasClean;
        return ok;
    }
    bool ok = false;
    Guarded([&] {
        ok = PushCompiledRead(code);
        if (ok) reader(ctx_);
        duk_pop(ctx_);
    });
    return ok;
}

bool ScriptEngine::RunGlobal(std::string_view code) {
    clean_ = false;
    std::string& bytecode = CachedBytecode(code);
    if (bytecode.empty()) {
        CodeRequest source{code.data(), code.size()};
        Guarded([&] {
            if (duk_safe_call(ctx_, &CompileStep, &source, 0, 1) == DUK_EXEC_SUCCESS) {
                duk_size_t size = 0;
                const void* data = duk_get_buffer(ctx_, -1, &size);
                if (data) bytecode.assign(static_cast<const char*>(data), size);
            }
            duk_pop(ctx_);
        });
        if (bytecode.empty()) return false;
    }
    CodeRequest compiled{bytecode.data(), bytecode.size()};
    bool ok = false;
    Guarded([&] {
        ok = duk_safe_call(ctx_, &RunBytecodeStep, &compiled, 0, 1) == DUK_EXEC_SUCCESS;
        duk_pop(ctx_);
    });
    return ok;
}

bool ScriptEngine::EvalLogical(std::string_view code) {
    bool result = false;
    Evaluate(code, [&](duk_context* ctx) { result = ToLogical(ctx, -1); });
    return result;
}

std::string ScriptEngine::EvalText(std::string_view code) {
    std::string result;
    Evaluate(code, [&](duk_context* ctx) { result = ToText(ctx, -1); });
    return result;
}

double ScriptEngine::EvalNumber(std::string_view code) {
    double result = 0;
    Evaluate(code, [&](duk_context* ctx) { result = ToNumber(ctx, -1); });
    return result;
}

std::vector<std::string> ScriptEngine::EvalTexts(std::string_view code) {
    std::vector<std::string> result;
    Evaluate(code, [&](duk_context* ctx) { result = ElementTexts(ctx, -1); });
    return result;
}

bool ScriptEngine::EvalNone(std::string_view code) {
    return Evaluate(code, [](duk_context*) {});
}

bool ScriptEngine::ReadLogical(std::string_view code) {
    bool result = false;
    EvaluateRead(code, [&](duk_context* ctx) { result = ToLogical(ctx, -1); });
    return result;
}

std::string ScriptEngine::ReadText(std::string_view code) {
    std::string result;
    EvaluateRead(code, [&](duk_context* ctx) { result = ToText(ctx, -1); });
    return result;
}

double ScriptEngine::ReadNumber(std::string_view code) {
    double result = 0;
    EvaluateRead(code, [&](duk_context* ctx) { result = ToNumber(ctx, -1); });
    return result;
}

std::vector<std::string> ScriptEngine::ReadTexts(std::string_view code) {
    std::vector<std::string> result;
    EvaluateRead(code, [&](duk_context* ctx) { result = ElementTexts(ctx, -1); });
    return result;
}

bool ScriptEngine::ParseJsonInto(const char* variable, std::string_view text, EngineError& error) {
    error = EngineError{};
    ParseRequest request{variable, text.data(), text.size(), false};
    bool ok = false;
    bool entered = Guarded([&] {
        ok = duk_safe_call(ctx_, &ParseStep, &request, 0, 1) == DUK_EXEC_SUCCESS;
        if (!ok) error = DescribeError(ctx_);
        duk_pop(ctx_);
    });
    if (!request.existed) clean_ = false;
    if (!entered) error.number = DUK_ERR_ERROR;
    return ok;
}

}  // namespace vantrel
