// Reading the fake platform's log in the unit tests.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/fake/state.h"

// The log's events that `keep` keeps, in order.
std::vector<fake::Event> EventsWhere(const std::function<bool(const fake::Event&)>& keep);

// The log's events of the given kinds, in order.
std::vector<fake::Event> EventsOf(std::initializer_list<fake::EventKind> kinds);

// The log without its pauses: what the agent could see.
std::vector<fake::Event> EventsBesidesPauses();

// Every text control `control` of window `window` was given, in order.
std::vector<std::string> TextsShown(int window, int control);
