#pragma once
// Fixtures of the document-to-tables tests: a temporary school (working
// folder, reference table, document) and a scripted user.
#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/estado.h"
#include "core/interaccion.h"
#include "core/reloj.h"
#include "exchange/ansi.h"
#include "tables/esquemas.h"
#include "tables/tabla.h"
#include "to_tables/conversion.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace prueba {

namespace fs = std::filesystem;

inline const core::RelojFijo& Reloj() {
    static const core::RelojFijo r(core::FechaHora{2025, 9, 15, 10, 0, 0});
    return r;
}

// A record: its dato values (UTF-8).
using Registro = std::vector<std::string>;

inline std::string Escapar(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '<') r += "&lt;";
        else if (c == '&') r += "&amp;";
        else if (c == '>') r += "&gt;";
        else r += c;
    }
    return r;
}

// An exchange document built block by block.
class Documento {
public:
    Documento& Bloque(const std::string& seq, const std::vector<Registro>& registros) {
        xml_ += "<grupo_datos seq=\"" + seq + "\">";
        for (const auto& r : registros) {
            xml_ += "<grupo_datos>";
            for (const auto& v : r) xml_ += "<dato>" + Escapar(v) + "</dato>";
            xml_ += "</grupo_datos>";
        }
        xml_ += "</grupo_datos>\n";
        return *this;
    }
    std::string Texto() const {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>\n" + xml_ +
               "</BLOQUE_DATOS></SERVICIO>\n";
    }
private:
    std::string xml_;
};

// What the user sees and answers.
class UsuarioFalso : public core::Interaccion {
public:
    std::optional<fs::path> documento;                 // the open dialog's answer (nullopt: cancel)
    std::deque<core::EleccionMarcos> respuestasMarcos;  // the frame dialog's answers, in turn
    std::vector<std::string> mensajes, errores;         // Windows-1252
    std::vector<bool> ocupado;
    int vecesMarcos = 0;

    std::optional<fs::path> ElegirDocumento() override { return documento; }
    void Mensaje(const std::string& t) override { mensajes.push_back(t); }
    void Error(const std::string& t) override { errores.push_back(t); }
    core::EleccionMarcos ElegirMarcos(const fs::path&) override {
        ++vecesMarcos;
        if (respuestasMarcos.empty()) return core::EleccionMarcos{false, {}, true};
        auto r = respuestasMarcos.front();
        respuestasMarcos.pop_front();
        return r;
    }
    void Ocupado(bool o) override { ocupado.push_back(o); }
};

// One row of a table: field name -> value as read (UTF-8).
using Fila = std::map<std::string, std::string>;

inline std::vector<Fila> LeerFilas(const fs::path& archivo) {
    std::vector<Fila> filas;
    auto t = tablas::Tabla::Abrir(archivo);
    const auto campos = t.Campos();
    for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) {
        Fila f;
        for (std::size_t i = 0; i < campos.size(); ++i)
            f[campos[i].nombre] = exchange::AnsiAUtf8(t.LeerTexto(static_cast<int>(i)));
        filas.push_back(std::move(f));
    }
    t.Cerrar();
    return filas;
}

// The values of one field over all rows.
inline std::vector<std::string> Columna(const std::vector<Fila>& filas, const std::string& campo) {
    std::vector<std::string> v;
    for (const auto& f : filas) v.push_back(f.at(campo));
    return v;
}

inline std::string LeerArchivo(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void EscribirArchivo(const fs::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
}

// Every regular file of a folder with its bytes.
inline std::map<std::string, std::string> Contenido(const fs::path& carpeta) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(carpeta))
        m[e.path().filename().string()] = e.is_regular_file() ? LeerArchivo(e.path()) : "<carpeta>";
    return m;
}

// A temporary school: a folder holding the working folder "MTEMP", the
// reference table and the document.
class Escuela : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        raiz = fs::temp_directory_path() /
               ("tmv-to_tables-" + std::to_string(
#if defined(_WIN32)
                                       0
#else
                                       getpid()
#endif
                                       ) +
                "-" + std::to_string(n++));
        fs::remove_all(raiz);
        fs::create_directories(raiz / "MTEMP");
        trabajo = raiz / "MTEMP";
        referencia = raiz / "NIVELLARI.DBF";
        documento = raiz / "centro.xml";
        Referencia({{6001, "ESO", "Educaci\xF3n Secundaria Obligatoria"}, {7, "BACH", "Bachillerato"}});
        opciones.carpetaTrabajo = trabajo;
        opciones.tablaReferencia = referencia;
        opciones.reloj = &Reloj();
        usuario.documento = documento;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(raiz, ec);
    }

    struct Nivel { long numero; std::string abrev, estudio; };  // Windows-1252
    void Referencia(const std::vector<Nivel>& niveles) {
        tablas::Tabla::Crear(raiz, tablas::esquemas::NIVELLARI(), Reloj());
        auto t = tablas::Tabla::Abrir(referencia, tablas::Acceso::Exclusivo, &Reloj());
        for (const auto& n : niveles) {
            t.Agregar();
            t.EscribirEntero("X_OFERTAMATRIG", n.numero);
            t.EscribirTexto("NIVEL_ABREV", n.abrev);
            t.EscribirTexto("ESTUDIO", n.estudio);
            t.Grabar();
        }
        t.Cerrar();
    }

    // Writes the document and runs the conversion.
    core::FinEjecucion Convertir(const Documento& doc) {
        EscribirArchivo(documento, doc.Texto());
        return to_tables::BExportarClick(estado, usuario, opciones);
    }
    // Converts and expects a finished run.
    void ConvertirBien(const Documento& doc) {
        ASSERT_EQ(Convertir(doc), core::FinEjecucion::Finalizado)
            << (usuario.errores.empty() ? std::string() : exchange::AnsiAUtf8(usuario.errores.back()));
    }
    std::vector<Fila> Tabla(const std::string& nombre) { return LeerFilas(trabajo / (nombre + ".DBF")); }

    fs::path raiz, trabajo, referencia, documento;
    core::EstadoVentana estado;
    UsuarioFalso usuario;
    to_tables::OpcionesConversion opciones;
};

}  // namespace prueba
