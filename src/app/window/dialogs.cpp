#include "app/window/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QStringList>

namespace lyricanvas {

namespace {

constexpr char Default_Filter[] = "All files (*.*)|*.*";

QColor To_QColor(Dialog_Color c) {
  return QColor(static_cast<int>(c & 255), static_cast<int>((c >> 8) & 255),
                static_cast<int>((c >> 16) & 255));
}

Dialog_Color From_QColor(const QColor& c) {
  return c.red() + 256 * c.green() + 65536 * static_cast<Dialog_Color>(c.blue());
}

QString Choose_File(QWidget* parent, const File_Dialog_Request& request) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(Qt_File_Filter(request.filter));
  dialog.setDefaultSuffix(QString::fromStdString(request.default_extension));
  if (!request.initial_file.empty()) dialog.selectFile(QString::fromStdString(request.initial_file));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

Dialog_Color Choose_Color(QWidget* parent, Dialog_Color initial, std::string& custom) {
  for (int i = 0; i < 16 && 4 * i + 2 < static_cast<int>(custom.size()); ++i)
    QColorDialog::setCustomColor(i, QColor(static_cast<unsigned char>(custom[4 * i]),
                                           static_cast<unsigned char>(custom[4 * i + 1]),
                                           static_cast<unsigned char>(custom[4 * i + 2])));
  QColorDialog dialog(To_QColor(initial), parent);
  const bool chosen = dialog.exec() == QDialog::Accepted;
  custom.assign(Custom_Colors_Length, '\0');
  for (int i = 0; i < 16; ++i) {
    QColor c = QColorDialog::customColor(i);
    custom[4 * i] = static_cast<char>(c.red());
    custom[4 * i + 1] = static_cast<char>(c.green());
    custom[4 * i + 2] = static_cast<char>(c.blue());
  }
  return chosen ? From_QColor(dialog.selectedColor()) : -1;
}

std::optional<Font_Rec> Choose_Font(QWidget* parent, const Font_Rec& initial) {
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, Make_QFont(initial), parent);
  if (!ok) return std::nullopt;
  Font_Rec font = initial;
  font.Font_Name = chosen.family();
  font.Font_Size = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : initial.Font_Size;
  font.Bold = chosen.bold();
  font.Italic = chosen.italic();
  font.Underline = chosen.underline();
  return font;
}

}  // namespace

QString Qt_File_Filter(const std::string& filter) {
  const QStringList parts =
      QString::fromStdString(filter.empty() ? Default_Filter : filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    // Qt reads "*.*" as "names with a dot"; the list means every file.
    QString pattern = parts[i + 1] == QLatin1String("*.*") ? QStringLiteral("*") : parts[i + 1];
    pattern.replace(u';', u' ');
    filters << (description.endsWith(u'(' + parts[i + 1] + u')')
                    ? description.left(description.size() - parts[i + 1].size() - 2) + u'(' +
                          pattern + u')'
                    : description + QStringLiteral(" (") + pattern + u')');
  }
  return filters.join(QStringLiteral(";;"));
}

Dialogs Qt_Dialogs(QWidget* parent) {
  Dialogs d;
  d.message = [parent](const std::string& text) {
    QMessageBox::information(parent, QStringLiteral("Lyricanvas"), QString::fromStdString(text));
  };
  d.ask = [parent](const std::string& question, bool with_cancel) {
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (with_cancel) buttons |= QMessageBox::Cancel;
    auto answer = QMessageBox::question(parent, QStringLiteral("Lyricanvas"),
                                        QString::fromStdString(question), buttons);
    if (answer == QMessageBox::Yes) return Answer::Yes;
    if (answer == QMessageBox::No) return Answer::No;
    return with_cancel ? Answer::Cancel : Answer::No;
  };
  d.file = [parent](const File_Dialog_Request& request) {
    return Choose_File(parent, request).toStdString();
  };
  d.color = [parent](Dialog_Color initial, std::string& custom) {
    return Choose_Color(parent, initial, custom);
  };
  d.font = [parent](const Font_Rec& initial) { return Choose_Font(parent, initial); };
  return d;
}

}  // namespace lyricanvas
