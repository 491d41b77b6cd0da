#pragma once
// Documents that once broke loading, saving or freeing: structures that share, repeat or nest.

#include <string>

namespace corvane::test {

// Every tree node lists its one child twice, depth levels deep.
inline std::string sharedSubtreeDocument(int depth)
{
    std::string out = "[root]\ntypeID=Document\ntree=T\n\n[T]\ntypeID=Tree Grid\nroot node=N0\n\n";
    for (int i = 0; i < depth; ++i) {
        const std::string child = "N" + std::to_string(i + 1);
        out += "[N" + std::to_string(i) + "]\ntypeID=Tree Node\nchildren#count=2\nchildren#0=" + child +
               "\nchildren#1=" + child + "\n\n";
    }
    out += "[N" + std::to_string(depth) + "]\ntypeID=Tree Node\n";
    return out;
}

// One node listed count times under spellings of its name that differ only in letter case.
inline std::string caseVariantsDocument(int count)
{
    const std::string base = "abcdefghijklmnop";
    auto variant = [&](int i) {
        std::string name = base;
        for (std::size_t k = 0; k < name.size(); ++k)
            if ((i >> k) & 1)
                name[k] = static_cast<char>(name[k] - 'a' + 'A');
        return name;
    };
    std::string out = "[root]\ntypeID=Document\ntree=T\n\n[T]\ntypeID=Tree Grid\nroot node=" + variant(0) + "\n\n[" +
                      base + "]\ntypeID=Tree Node\nrow=empty\nchildren#count=" + std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i)
        out += "children#" + std::to_string(i) + "=" + variant(i) + "\n";
    return out;
}

// chains chains of length nodes, each chain ending in a reference to the previous chain: no load
// nests deeper than length, but the ownership would nest chains * length deep.
inline std::string sharedChainsDocument(int chains, int length = 250)
{
    std::string out = "[root]\ntypeID=Document\ntree=T\n\n[T]\ntypeID=Tree Grid\nroot node=R\n\n"
                      "[R]\ntypeID=Tree Node\nrow=empty\nchildren#count=" +
                      std::to_string(chains) + "\n";
    auto node = [](int chain, int position) { return "C" + std::to_string(chain) + "_" + std::to_string(position); };
    for (int i = 0; i < chains; ++i)
        out += "children#" + std::to_string(i) + "=" + node(i, 0) + "\n";
    for (int i = 0; i < chains; ++i) {
        for (int j = 0; j < length; ++j) {
            out += "\n[" + node(i, j) + "]\ntypeID=Tree Node\nrow=empty\n";
            if (j < length - 1)
                out += "children#count=1\nchildren#0=" + node(i, j + 1) + "\n";
            else if (i > 0)
                out += "children#count=1\nchildren#0=" + node(i - 1, 0) + "\n";
        }
    }
    return out;
}

} // namespace corvane::test
