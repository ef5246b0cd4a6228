#include "engine/ByteFinderSet.h"

#include "model/LogCategories.h"

#include <hs/hs.h>
#include <utility>

namespace {

struct ScanContext {
    const std::vector<QByteArray>* patterns;
    const std::vector<size_t>* indexOfId;
    bool (*function)(void*, size_t, size_t);
    void* context;
};

int OnHyperscanMatch(unsigned int id, unsigned long long /*from*/, unsigned long long to,
                     unsigned int /*flags*/, void* context)
{
    const auto* scan = static_cast<const ScanContext*>(context);
    const size_t index = (*scan->indexOfId)[id];
    // Literal mode reports where a match ends; it starts one pattern length before.
    const size_t start = static_cast<size_t>(to) - static_cast<size_t>((*scan->patterns)[index].size());
    return scan->function(scan->context, index, start) ? 0 : 1;
}

} // namespace

ByteFinderSet::ByteFinderSet(const std::vector<QByteArray>& patterns) : m_patterns(patterns)
{
    std::vector<const char*> expressions;
    std::vector<size_t> lengths;
    std::vector<unsigned int> flags;
    std::vector<unsigned int> ids;
    for (size_t i = 0; i < m_patterns.size(); ++i) {
        if (m_patterns[i].isEmpty())
            continue;
        expressions.push_back(m_patterns[i].constData());
        lengths.push_back(static_cast<size_t>(m_patterns[i].size()));
        // One report per pattern and scan is all the scanner needs.
        flags.push_back(HS_FLAG_SINGLEMATCH);
        ids.push_back(static_cast<unsigned int>(m_indexOfId.size()));
        m_indexOfId.push_back(i);
    }
    if (expressions.empty() || hs_valid_platform() != HS_SUCCESS)
        return;
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_compile_lit_multi(expressions.data(), flags.data(), ids.data(), lengths.data(),
                             static_cast<unsigned int>(expressions.size()), HS_MODE_BLOCK, nullptr, &database,
                             &error) != HS_SUCCESS) {
        qCWarning(kestrovaEngine) << "Hyperscan cannot compile the search terms:"
                                  << (error && error->message ? error->message : "no reason given");
        hs_free_compile_error(error);
        return;
    }
    hs_scratch_t* scratch = nullptr;
    if (hs_alloc_scratch(database, &scratch) != HS_SUCCESS) {
        qCWarning(kestrovaEngine) << "Hyperscan cannot allocate its scratch space";
        hs_free_database(database);
        return;
    }
    m_database.reset(database);
    m_scratch.reset(scratch);
}

void ByteFinderSet::FreeDatabase::operator()(hs_database* database) const
{
    hs_free_database(database);
}

void ByteFinderSet::FreeScratch::operator()(hs_scratch* scratch) const
{
    hs_free_scratch(scratch);
}

bool ByteFinderSet::scan(const char* data, size_t length, MatchFunction function, void* context) const
{
    if (!valid())
        return false;
    ScanContext scanContext{&m_patterns, &m_indexOfId, function, context};
    // Hyperscan's block mode takes lengths below 4 GiB; the scanner's chunks are far smaller.
    const hs_error_t result = hs_scan(m_database.get(), data, static_cast<unsigned int>(length), 0,
                                      m_scratch.get(), &OnHyperscanMatch, &scanContext);
    return result == HS_SUCCESS || result == HS_SCAN_TERMINATED;
}

const ByteFinderSet& ByteFinderSet::cachedFor(const std::vector<QByteArray>& patterns)
{
    thread_local std::unique_ptr<ByteFinderSet> cached;
    if (!cached || cached->patterns() != patterns)
        cached = std::make_unique<ByteFinderSet>(patterns);
    return *cached;
}
