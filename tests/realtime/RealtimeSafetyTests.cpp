// Proves that the audio callback neither allocates nor locks: every allocation function
// and the pthread locking calls are replaced in this executable and counted while a
// thread-local flag is up, that is, only inside processBlock.

#include "PluginProcessor.h"
#include "Signals.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <new>

extern "C"
{
void* __libc_malloc (size_t);
void* __libc_calloc (size_t, size_t);
void* __libc_realloc (void*, size_t);
void* __libc_memalign (size_t, size_t);
void __libc_free (void*);
}

namespace
{
thread_local bool counting = false;
std::atomic<int> allocations { 0 };
std::atomic<int> locks { 0 };

void noteAllocation()
{
    if (counting)
        ++allocations;
}

template <typename Fn>
Fn realFunction (const char* name)
{
    return reinterpret_cast<Fn> (dlsym (RTLD_NEXT, name));
}

using MutexFn = int (*) (pthread_mutex_t*);
using RwFn = int (*) (pthread_rwlock_t*);
// Looked up before any test runs, so no lookup happens while counting.
const MutexFn realMutexLock = realFunction<MutexFn> ("pthread_mutex_lock");
const MutexFn realMutexTryLock = realFunction<MutexFn> ("pthread_mutex_trylock");
const RwFn realReadLock = realFunction<RwFn> ("pthread_rwlock_rdlock");
const RwFn realWriteLock = realFunction<RwFn> ("pthread_rwlock_wrlock");

struct Counting
{
    Counting() { allocations = 0; locks = 0; counting = true; }
    ~Counting() { counting = false; }
};
} // namespace

extern "C"
{
void* malloc (size_t n) { noteAllocation(); return __libc_malloc (n); }
void* calloc (size_t a, size_t b) { noteAllocation(); return __libc_calloc (a, b); }
void* realloc (void* p, size_t n) { noteAllocation(); return __libc_realloc (p, n); }
void free (void* p) { __libc_free (p); }
void* aligned_alloc (size_t alignment, size_t n) { noteAllocation(); return __libc_memalign (alignment, n); }
void* memalign (size_t alignment, size_t n) { noteAllocation(); return __libc_memalign (alignment, n); }
int posix_memalign (void** out, size_t alignment, size_t n)
{
    noteAllocation();
    *out = __libc_memalign (alignment, n);
    return *out != nullptr ? 0 : ENOMEM;
}

int pthread_mutex_lock (pthread_mutex_t* m) { if (counting) ++locks; return realMutexLock (m); }
int pthread_mutex_trylock (pthread_mutex_t* m) { if (counting) ++locks; return realMutexTryLock (m); }
int pthread_rwlock_rdlock (pthread_rwlock_t* l) { if (counting) ++locks; return realReadLock (l); }
int pthread_rwlock_wrlock (pthread_rwlock_t* l) { if (counting) ++locks; return realWriteLock (l); }
}

void* operator new (size_t n) { noteAllocation(); if (auto* p = __libc_malloc (n)) return p; throw std::bad_alloc(); }
void* operator new[] (size_t n) { noteAllocation(); if (auto* p = __libc_malloc (n)) return p; throw std::bad_alloc(); }
void operator delete (void* p) noexcept { __libc_free (p); }
void operator delete[] (void* p) noexcept { __libc_free (p); }
void operator delete (void* p, size_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, size_t) noexcept { __libc_free (p); }

namespace
{
struct Layout { const char* name; juce::AudioChannelSet set; int channels; };

void moveEveryParameter (PluginProcessor& p, juce::Random& random, int blockIndex)
{
    for (auto* param : p.getParameters())
    {
        if (param->getName (32) == "Bypass")
            param->setValueNotifyingHost ((blockIndex / 7) % 2 == 0 ? 0.0f : 1.0f);
        else
            param->setValueNotifyingHost (random.nextFloat());
    }
}
} // namespace

TEST (RealtimeSafety, CountersSeeAllocationsAndLocks)
{
    juce::CriticalSection lock;
    {
        Counting scope;
        auto* p = new int (3);
        delete p;
        std::vector<float> v (100);
        const juce::ScopedLock sl (lock);
        EXPECT_GE (allocations.load(), 2);
        EXPECT_GE (locks.load(), 1);
    }
}

TEST (RealtimeSafety, ProcessBlockNeitherAllocatesNorLocks)
{
    const int sizes[] = { 1, 2, 3, 5, 16, 63, 64, 100, 255, 256, 511, 512, 1000, 1024, 2048, 4095, 4096 };
    const Layout layouts[] = { { "mono", juce::AudioChannelSet::mono(), 1 }, { "stereo", juce::AudioChannelSet::stereo(), 2 } };

    for (const auto rate : { 44100.0, 48000.0, 96000.0, 192000.0 })
        for (const auto& layout : layouts)
        {
            SCOPED_TRACE (juce::String (rate) + " Hz " + layout.name);
            PluginProcessor p;
            ASSERT_TRUE (p.setBusesLayout ({ { layout.set }, { layout.set } }));
            p.prepareToPlay (rate, 4096);

            juce::Random random (7);
            auto audio = torka::test::noise (4096, layout.channels, 0.5f, 3);
            juce::MidiBuffer midi;
            int blocks = 0, samples = 0, allocating = 0, locking = 0;

            while (samples < (int) rate) // one second of audio in varying sizes
            {
                const auto n = blocks < (int) std::size (sizes) ? sizes[blocks] : 1 + random.nextInt (4096);
                moveEveryParameter (p, random, blocks);
                juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), layout.channels, 0, n);
                {
                    Counting scope;
                    p.processBlock (block, midi);
                    allocating += allocations.load() > 0 ? 1 : 0;
                    locking += locks.load() > 0 ? 1 : 0;
                }
                ++blocks;
                samples += n;
            }

            EXPECT_EQ (allocating, 0) << "blocks that allocated, of " << blocks;
            EXPECT_EQ (locking, 0) << "blocks that locked, of " << blocks;
        }
}

TEST (RealtimeSafety, OnlyTheFirstBlockLongerThanPreparedGrowsTheDryBuffer)
{
    PluginProcessor p;
    p.prepareToPlay (48000.0, 512);
    auto audio = torka::test::noise (8192, 2, 0.5f, 5);
    juce::MidiBuffer midi;

    std::vector<int> counts;
    for (const auto n : { 512, 4096, 4096, 2048, 8192, 8192, 512 })
    {
        juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, 0, n);
        Counting scope;
        p.processBlock (block, midi);
        counts.push_back (allocations.load());
        EXPECT_EQ (locks.load(), 0);
    }

    EXPECT_EQ (counts, (std::vector<int> { 0, 1, 0, 0, 1, 0, 0 }));
}
