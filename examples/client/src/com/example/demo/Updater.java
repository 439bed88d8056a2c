package com.example.demo;

import java.io.File;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.channels.FileChannel;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.StandardOpenOption;

/**
 * Leaves an update for the launcher's next start, as docs/deferred-operations.md asks: the new
 * files under new names, each flushed to the disk, then the list, written exactly as the
 * launcher reads it under a temporary name, flushed, and renamed into place. Paths are
 * relative to the installation folder, with "/" between folders.
 */
public final class Updater {
    private final Path installation;
    private final StringBuilder list = new StringBuilder();
    private int size;

    public Updater(Path installation) {
        this.installation = installation;
    }

    /** Writes a new file, its folders made as needed, and flushes it (Windows syncs nothing). */
    public Updater stage(String path, byte[] content) throws IOException {
        Path file = installation.resolve(path);
        if (file.getParent() != null) {
            Files.createDirectories(file.getParent());
        }
        write(file, content);
        return this;
    }

    /** Marks a staged file executable: a launcher renamed into place keeps this mode (Linux). */
    public Updater executable(String path) throws IOException {
        installation.resolve(path).toFile().setExecutable(true, false);
        return this;
    }

    public Updater delete(String path) {
        return operation("delete", path, null);
    }

    public Updater rename(String path, String destination) {
        return operation("rename", path, destination);
    }

    /** Puts the list in place: the launcher finds it whole at its next start, or not at all. */
    public void commit() throws IOException {
        String text = "size=" + size + System.lineSeparator() + list;
        // The bytes of the names as the JVM gave them to the files it wrote: the ANSI code page
        // on Windows, the locale's charset on Linux (where the launcher takes the bytes as they are).
        byte[] bytes = text.getBytes(Charset.forName(System.getProperty("sun.jnu.encoding")));
        Path temporary = installation.resolve("deferred_operations.writing");
        write(temporary, bytes);
        Files.move(temporary, installation.resolve("deferred_operations"),
                StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
    }

    // One operation, its lines as the launcher reads them: "key=value", no escapes (unlike
    // java.util.Properties, whose store() escapes a backslash, ":", "=" and all beyond ASCII).
    private Updater operation(String kind, String path, String destination) {
        String key = "operation." + size;
        line(key, kind);
        line(key + ".file", path.replace('/', File.separatorChar));
        if (destination != null) {
            line(key + ".destination", destination.replace('/', File.separatorChar));
        }
        size++;
        return this;
    }

    private void line(String key, String value) {
        if (value.indexOf('\n') >= 0 || value.indexOf('\r') >= 0) {
            throw new IllegalArgumentException("a line end in " + key);
        }
        list.append(key).append('=').append(value).append(System.lineSeparator());
    }

    private static void write(Path file, byte[] content) throws IOException {
        try (FileChannel channel = FileChannel.open(file, StandardOpenOption.CREATE,
                StandardOpenOption.TRUNCATE_EXISTING, StandardOpenOption.WRITE)) {
            ByteBuffer buffer = ByteBuffer.wrap(content);
            while (buffer.hasRemaining()) {
                channel.write(buffer);
            }
            channel.force(true);
        }
    }
}
