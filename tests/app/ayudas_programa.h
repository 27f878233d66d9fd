#pragma once
// What the tests that run the built program share: a copy of it in a
// temporary folder of its own, and a way to run it and read what it wrote.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../core/ayudas.h"

namespace bindelora::prueba {

class ProgramaEnCarpeta : public ::testing::Test {
protected:
    // nombre tells the folders of the different tests apart in /tmp.
    explicit ProgramaEnCarpeta(std::string nombre) : nombre_(std::move(nombre)) {}

    void SetUp() override
    {
        std::string plantilla = "/tmp/bindelora_" + nombre_ + "_XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        carpeta = plantilla;
        programa = carpeta + "/bindelora";
        std::filesystem::copy_file(BINDELORA_PROGRAMA, programa);
    }
    void TearDown() override { std::filesystem::remove_all(carpeta); }

    static constexpr auto* Escribir = &PonerContenido;
    static constexpr auto* Leer = &ContenidoDe;
    std::string Dat() const { return carpeta + "/bindelora.dat"; }
    std::string Avs() const { return carpeta + "/bindelora.avs"; }

    // A home and a configuration inside the folder, so no run sees the user's.
    std::vector<std::string> EntornoPropio() const
    {
        return {"XDG_CONFIG_HOME=" + carpeta + "/cfg", "HOME=" + carpeta, "LANG=C.UTF-8"};
    }

    // Runs the program with args and exactly the variables of entorno,
    // standard input from entrada, its address space bounded by limite
    // bytes when not 0 (never under the address sanitizer, which reserves
    // terabytes), killed after plazo when not 0. Fills salida and errores;
    // returns the exit code, -1 for a signal or for the time running out.
    int Correr(std::vector<std::string> args, std::vector<std::string> entorno,
               const std::string& entrada = "/dev/null", rlim_t limite = 0,
               std::chrono::seconds plazo = std::chrono::seconds{0})
    {
        // Beside the folder, not in it: some tests look at all it holds.
        const std::string rutaSalida = carpeta + ".salida", rutaErrores = carpeta + ".errores";
        args.insert(args.begin(), programa);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : entorno) envp.push_back(e.data());
        envp.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Only calls safe after a fork: the caller may run threads.
#if !defined(__SANITIZE_ADDRESS__)
            if (limite != 0) {
                const rlimit r{limite, limite};
                ::setrlimit(RLIMIT_AS, &r);
            }
#endif
            // Without blocking, so that a fifo with no writer yet opens.
            const int in = ::open(entrada.c_str(), O_RDONLY | O_NONBLOCK);
            const int out = ::open(rutaSalida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(rutaErrores.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || out < 0 || err < 0) ::_exit(126);
            ::fcntl(in, F_SETFL, 0);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execve(programa.c_str(), argv.data(), envp.data());
            ::_exit(127);
        }
        if (pid < 0) return -1;
        int estado = 0;
        bool vencido = false;
        if (plazo.count() == 0) {
            ::waitpid(pid, &estado, 0);
        } else {
            const auto fin = std::chrono::steady_clock::now() + plazo;
            while (::waitpid(pid, &estado, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() >= fin) {
                    ::kill(pid, SIGKILL);
                    ::waitpid(pid, &estado, 0);
                    vencido = true;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        salida = Leer(rutaSalida);
        errores = Leer(rutaErrores);
        std::filesystem::remove(rutaSalida);
        std::filesystem::remove(rutaErrores);
        return !vencido && WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }

    std::string carpeta, programa;
    std::string salida, errores;  // of the last run

private:
    std::string nombre_;
};

}  // namespace bindelora::prueba
