#pragma once
// The accessibility tree of a window as a screen reader walks it: down from
// the window's interface, child by child.

#include <QAccessible>
#include <QObject>

#include <functional>
#include <map>
#include <vector>

struct AccessibleTree {
    // The interfaces that stand for widgets, by widget.
    std::map<QObject*, QAccessibleInterface*> byObject;
    // Every interface reached, items of lists and trees too.
    std::vector<QAccessibleInterface*> all;

    std::vector<QString> Names(QAccessible::Role role) const {
        std::vector<QString> names;
        for (QAccessibleInterface* node : all)
            if (node->role() == role) names.push_back(node->text(QAccessible::Name));
        return names;
    }
};

inline AccessibleTree WalkAccessibleTree(QObject* window) {
    AccessibleTree tree;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface* child = node->child(i);
            if (child == nullptr) continue;
            tree.all.push_back(child);
            if (child->object() != nullptr && child->object() != node->object()) tree.byObject[child->object()] = child;
            walk(child);
        }
    };
    if (QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window)) walk(root);
    return tree;
}
