#pragma once
// The list control of the window: text rows under a fixed heading line, in a bold fixed-pitch
// font, each row with its own text colour.

#include <QColor>
#include <QElapsedTimer>
#include <QListView>
#include <QListWidget>

class ListHeading;

class ListControl : public QListWidget
{
    Q_OBJECT

public:
    explicit ListControl(const QString& heading, QWidget* parent = nullptr);

    [[nodiscard]] QString heading() const;
    // Where the rows' text begins, in viewport coordinates, at the current sideways scroll.
    [[nodiscard]] int textLeft() const;
    void addRow(const QString& text, const QColor& colour = Qt::black);
    [[nodiscard]] QString rowText(int index) const; // empty for an index out of range
    [[nodiscard]] int rowCount() const { return count(); }
    [[nodiscard]] QStringList rows() const; // every row's text, in order
    void removeRow(int index);
    [[nodiscard]] QColor rowColour(int index) const;
    [[nodiscard]] int selectedIndex() const; // -1 when none
    void setSelectedIndex(int index);
    void repaintNow();
    // Repaints at once unless the last repaint was less than a frame ago, so that a long answer
    // still appears row by row without costing a repaint per row.
    void repaintThrottled();

protected:
    void updateGeometries() override;

private:
    ListHeading* m_heading = nullptr;
    QElapsedTimer m_lastRepaint;
};

// The list control over a model, for lists too long to hold a widget item a row: the same
// heading line, font and selection, rows drawn only when in view.
class ListView : public QListView
{
    Q_OBJECT

public:
    explicit ListView(const QString& heading, QWidget* parent = nullptr);

    [[nodiscard]] QString heading() const;
    [[nodiscard]] int textLeft() const;
    [[nodiscard]] int rowCount() const;
    [[nodiscard]] QString rowText(int index) const; // empty for an index out of range
    [[nodiscard]] QStringList rows() const;         // every row's text, in order
    [[nodiscard]] int selectedIndex() const;        // -1 when none
    void setSelectedIndex(int index);
    void repaintNow();

protected:
    void updateGeometries() override;

private:
    ListHeading* m_heading = nullptr;
};
