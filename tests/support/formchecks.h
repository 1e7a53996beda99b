#pragma once

#include "gui/ui/twips.h"

#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

// One row of a form's layout table: a control, its text and its place in
// twips.
struct ControlPlace {
    const char* name;
    QString text;
    int left, top, width, height;
};

// Checks each control's object name, text (when given) and geometry.
void expectLayout(QWidget* form, const std::vector<ControlPlace>& controls);

// The object names of the controls reached by Tab from first, in order.
QStringList tabOrder(QWidget* first);

// Every window: no minimise or maximise button, fixed client size, the icon.
void expectWindowBasics(QWidget* form, const QString& caption, int clientWidth, int clientHeight);
