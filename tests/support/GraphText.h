#pragma once
// Object graphs written as text, so that a test can compare a whole loaded graph at once.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

// A key of an object's section and what it names: one object (or none), or a list.
struct Reference {
    std::string key;
    bool list;
    std::vector<const TQVTGanttObject*> items;
};

template <typename T>
Reference one(const char* key, const std::shared_ptr<T>& child)
{
    return {key, false, {child.get()}};
}

template <typename T>
Reference many(const char* key, const std::vector<std::shared_ptr<T>>& children)
{
    Reference ref{key, true, {}};
    for (const auto& child : children)
        ref.items.push_back(child.get());
    return ref;
}

// The references of an object, in the order its loader follows them.
using ReferencesOf = std::function<std::vector<Reference>(const TQVTGanttObject&)>;
// The name an object is written under.
using NameOf = std::function<std::string(const TQVTGanttObject&)>;

// Writes a graph as text: Class(key=child,list=[a,b]), "-" for none. An object reached more
// than once carries "#n" where it is first written and stands as "#n" wherever it recurs.
// Checks on the way that every object's parent is the holder that reached it first, the top's
// being topHolder.
class GraphText {
public:
    GraphText(const TQVTGanttObject* top, const TQVTGanttObject* topHolder, ReferencesOf referencesOf, NameOf nameOf)
        : referencesOf(std::move(referencesOf)),
          nameOf(std::move(nameOf))
    {
        count(top, topHolder);
        text = write(top);
    }

    std::string text;

private:
    void count(const TQVTGanttObject* obj, const TQVTGanttObject* holder)
    {
        if (!obj || visits[obj]++ > 0)
            return;
        EXPECT_EQ(obj->getParent(), holder) << obj->ClassName() << " has the wrong parent";
        for (const Reference& ref : referencesOf(*obj))
            for (const TQVTGanttObject* child : ref.items)
                count(child, obj);
    }

    std::string write(const TQVTGanttObject* obj)
    {
        if (!obj)
            return "-";
        if (const auto found = labels.find(obj); found != labels.end())
            return found->second;
        std::string out = nameOf(*obj);
        if (visits[obj] > 1) {
            const std::string label = "#" + std::to_string(labels.size() + 1);
            labels[obj] = label;
            out += label;
        }
        const auto refs = referencesOf(*obj);
        if (refs.empty())
            return out;
        out += "(";
        for (const Reference& ref : refs) {
            out += (&ref == &refs.front() ? "" : ",") + ref.key + "=";
            if (!ref.list) {
                out += write(ref.items.front());
                continue;
            }
            out += "[";
            for (std::size_t i = 0; i < ref.items.size(); ++i)
                out += (i == 0 ? "" : ",") + write(ref.items[i]);
            out += "]";
        }
        return out + ")";
    }

    const ReferencesOf referencesOf;
    const NameOf nameOf;
    std::map<const TQVTGanttObject*, int> visits;
    std::map<const TQVTGanttObject*, std::string> labels;
};

} // namespace corvane::test
